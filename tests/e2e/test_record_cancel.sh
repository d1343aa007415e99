#!/usr/bin/env bash
# Ctrl+Esc pressed by the user during a recording cancels it as the
# system's cancel keys end a journal: the interruption warning appears,
# and the list is finished with the Ctrl key released, its count agreeing
# with the events in it.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/cancel.log"
rm -f "$log"
use_log_file "$log" 2
# Exit after the recording asks nothing.
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

# A window of our own to take the keys.
timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$E2E_WORK/keys.txt")" 1000 \
    30000 >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
read -r left top right bottom < <(probe rect "-:Mirlow Key Timer") || fail "no key timer rect"

start_recording "$log"
# Input to the program's own window is left out: a click on it, a key.
read -r mleft mtop mright mbottom < <(probe rect Mirlow) || fail "no Mirlow rect"
xdotool mousemove $(((mleft + mright) / 2)) $((mbottom - 8)) click 1 sleep 0.2 key b
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
xdotool key a ctrl+Escape

text=$(probe wait-box "0 Playbacks Completed" 15000) || fail "no interruption warning"
[ "${text%%$'\n'*}" = "Windows is forcing Mirlow to stop recording and playing." ] \
    || fail "warning says '$text'"
probe press "0 Playbacks Completed" 1 || fail "cannot close the warning"

# The Escape is not recorded; the Ctrl key is released before the end.
expect_lines_in_order "$log" \
    "Message=WM_LBUTTONDOWN" \
    "Message=WM_KEYDOWN (paramL=0x1E41" \
    "Message=WM_KEYDOWN (paramL=0x1D11" \
    "Message=WM_KEYUP (paramL=0xC01D11" \
    "END RECORDING" \
    "CANCELLED RECORDING"
grep -q "paramL=0x[0-9A-F]*011B," "$log" && fail "the Escape was recorded"
grep -q "paramL=0x[0-9A-F]*3042," "$log" && fail "a key to the program's own window was recorded"
[ "$(grep -c "Message=WM_LBUTTONDOWN" "$log")" = 1 ] || fail "a click on the program was recorded"
expect_count_agrees "$log"

probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
kill "$timer" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "Ctrl+Esc cancels a recording with a finished list: ok"
