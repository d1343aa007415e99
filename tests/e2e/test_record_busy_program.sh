#!/usr/bin/env bash
# The program is busy for seconds in the middle of a recording (a log on a
# slow share, a dialog; the probe holds its user-interface thread up here):
# the hooks run on a thread of their own and go on taking the input, so
# every key typed meanwhile is recorded, in order, and nothing is said to
# be missing.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/busy.log"
rm -f "$log"
use_log_file "$log" 2
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$E2E_WORK/keys.txt")" 1000 \
    30000 >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
read -r left top right bottom < <(probe rect "-:Mirlow Key Timer") || fail "no key timer rect"

PROBE_CONTROLS="control stall-recorder 2 3000" start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window"
probe post-command Mirlow 1044 || fail "cannot post Start Recording"
wait_for_line_containing "$log" "Recording through low-level input hooks" 10 || fail "no recording"

xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
xdotool type --delay 100 abcdef
sleep 3
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"
expect_lines_in_order "$log" "Message=WM_LBUTTONDOWN" \
    "Message=WM_KEYDOWN (paramL=0x1E41" "Message=WM_KEYDOWN (paramL=0x3042" \
    "Message=WM_KEYDOWN (paramL=0x2E43" "Message=WM_KEYDOWN (paramL=0x2044" \
    "Message=WM_KEYDOWN (paramL=0x1245" "Message=WM_KEYDOWN (paramL=0x2146" "END RECORDING"
grep -q "WARNING" "$log" && fail "input was said to be missing: $(grep WARNING "$log")"
probe wait-box "Mirlow Warning" 1000 >/dev/null && fail "the user was told input is missing"
expect_count_agrees "$log"

probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20
kill "$timer" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "a busy program loses no input of a recording: ok"
