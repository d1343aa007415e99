#!/usr/bin/env bash
# The recording's hooks live on a thread of their own. The program busy
# for seconds (a slow log, a dialog; the probe holds its user-interface
# thread up) loses no input: every key typed meanwhile is recorded, in
# order, and nothing is said to be missing. Hooks the system takes away
# without a word (it does so with hooks that answer too slowly; the probe
# stands in for it) are noticed from input the system had and they did
# not deliver, installed again within about a second, logged, and the user
# is told at the end that input may be missing. A drag made while the
# program is busy keeps its release, however many moves fill the queue.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/hooks.log"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 90 wine "$MIRLOW_KEY_TIMER" "$(winpath "$E2E_WORK/keys.txt")" 1000 60000 \
    >/dev/null 2>&1 &
timer=$!
probe wait-window "-:Mirlow Key Timer" 15000 || fail "no key timer window"
read -r left top right bottom < <(probe rect "-:Mirlow Key Timer") || fail "no key timer rect"

# record_with CONTROL KEYS: a recording with that control line, a click into
# the key timer, the keys typed, then a pause.
record_with() {
    rm -f "$log"
    use_log_file "$log" 2
    PROBE_CONTROLS="$1" start_recording "$log"
    xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
    xdotool type --delay 100 "$2"
}
stop_and_exit() {
    probe post-command Mirlow 1018 || fail "cannot post Exit"
    wait_exit 20
}

record_with "control stall-recorder 2 3000" abcdef
sleep 3
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"
expect_lines_in_order "$log" "Message=WM_LBUTTONDOWN" \
    "Message=WM_KEYDOWN (paramL=0x1E41" "Message=WM_KEYDOWN (paramL=0x3042" \
    "Message=WM_KEYDOWN (paramL=0x2E43" "Message=WM_KEYDOWN (paramL=0x2044" \
    "Message=WM_KEYDOWN (paramL=0x1245" "Message=WM_KEYDOWN (paramL=0x2146" "END RECORDING"
grep -q "WARNING" "$log" && fail "busy: input was said to be missing: $(grep WARNING "$log")"
probe wait-box "Mirlow Warning" 1000 >/dev/null && fail "busy: the user was told input is missing"
expect_count_agrees "$log"
stop_and_exit

# The first event is recorded, then the hooks are gone: a, b, c are not.
record_with "control drop-record-hooks 1" abc
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
stop_and_exit

# A drag while the program is busy, through a queue small enough to fill
# (64 entries): the moves are merged, the press and the release are kept,
# nothing is said to be missing, and no release is made up.
rm -f "$log"
use_log_file "$log" 2
PROBE_CONTROLS=$'control stall-recorder 2 8000\ncontrol record-queue 64' start_recording "$log"
cx=$(((left + right) / 2)) cy=$(((top + bottom) / 2))
xdotool mousemove "$cx" "$cy" click 1
moves=()
# Apart in time, or Wine merges them before any hook sees them.
for i in $(seq 1 300); do moves+=(mousemove $((cx - 40 + i % 80)) $((cy + i % 7)) sleep 0.01); done
xdotool mousedown 1 "${moves[@]}" mouseup 1 mousemove "$cx" "$cy"
sleep 4
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"
expect_lines_in_order "$log" "Message=WM_LBUTTONDOWN" "Message=WM_LBUTTONUP" \
    "Message=WM_LBUTTONDOWN" "Message=WM_MOUSEMOVE" "Message=WM_LBUTTONUP" "END RECORDING"
[ "$(grep -c "Message=WM_LBUTTONUP" "$log")" = 2 ] || fail "not two releases: $(grep -c LBUTTONUP "$log")"
[ "$(grep -c "Message=WM_MOUSEMOVE" "$log")" -lt 100 ] || fail "the moves were not merged"
grep -q "WARNING" "$log" && fail "drag: $(grep WARNING "$log")"
expect_count_agrees "$log"
stop_and_exit

kill "$timer" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "the recording's hooks: a busy program loses nothing, hooks taken away come back: ok"
