#!/usr/bin/env bash
# The system takes a recording's hooks away without a word (it does so
# with hooks that answer too slowly; the probe stands in for it here): the
# recorder sees that the system had input its hooks never delivered,
# installs them again within about a second, says so in the log, records
# what follows, and tells the user at the end that input may be missing.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/taken.log"
rm -f "$log"
use_log_file "$log" 2
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$E2E_WORK/keys.txt")" 1000 \
    30000 >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
read -r left top right bottom < <(probe rect "-:Mirlow Key Timer") || fail "no key timer rect"

PROBE_CONTROLS="control drop-record-hooks 1" start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window"
probe post-command Mirlow 1044 || fail "cannot post Start Recording"
wait_for_line_containing "$log" "Recording through low-level input hooks" 10 || fail "no recording"

# The first event is recorded, then the hooks are gone: the keys are not.
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
xdotool type --delay 60 abc
wait_for_line_containing "$log" "installed them again" 5 || fail "the hooks were not installed again"
xdotool type --delay 60 xyz
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
text=$(probe wait-box "Mirlow Warning" 10000) || fail "the user was not told"
[ "$text" = "Windows did not pass all of your input to Mirlow during this recording: some of it may be missing." ] \
    || fail "the box says '$text'"
probe press "Mirlow Warning" 1 || fail "cannot close the box"

expect_lines_in_order "$log" "RECORDING #1:" "installed them again" \
    "Message=WM_KEYDOWN (paramL=0x2D58" "Message=WM_KEYDOWN (paramL=0x1559" \
    "Message=WM_KEYDOWN (paramL=0x2C5A" "END RECORDING"
grep -q "Message=WM_KEYDOWN (paramL=0x1E41" "$log" && fail "a key was recorded while the hooks were away"
[ "$(grep -c "installed them again" "$log")" = 1 ] || fail "the hooks were installed again more than once"
expect_count_agrees "$log"

probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20
kill "$timer" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "hooks taken away are installed again and the user is told: ok"
