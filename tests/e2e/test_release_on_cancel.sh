#!/usr/bin/env bash
# Ctrl+Esc pressed in the middle of a drag and of {shiftdown}, while the
# playback thread is busy (a slow call, stood in for by the test probe):
# the watcher on its own thread still sees the keys, swallows them, and the
# playback ends as cancelled with no key or button left down.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/release.log"
caught="$E2E_WORK/caught.txt"
rm -f "$log" "$caught"
use_log_file "$log" 2
script="$E2E_WORK/drag.mrx"
printf '%s\r\n' \
    "message=WM_LBUTTONDOWN paramH=300 paramL=300 time=100" \
    "TYPE {shiftdown}" \
    "message=WM_MOUSEMOVE paramH=310 paramL=310 time=200" \
    "WAIT 30" >"$script"

timeout 60 wine "$MIRLOW_PROBE" catch-clicks "$(winpath "$caught")" 40000 >/dev/null 2>&1 &
catcher=$!
probe wait-window "-:Mirlow Click Catcher" 15000 || fail "no window to type into"

# The third record injected (the move) finds the playback thread busy for
# four seconds: the cancel keys are pressed meanwhile.
PROBE_FILE="$E2E_WORK/probe-release.txt"
echo "control stall-input 3 4000" >"$PROBE_FILE"
MIRLOW_TEST_PROBE="$(winpath "$PROBE_FILE")" timeout 60 wine "$MIRLOW_EXE" "$(winpath "$script")" \
    >/dev/null 2>&1 &
MIRLOW_PID=$!
wait_for_line_containing "$log" "Play Event #4: Message=WM_MOUSEMOVE" 15 || fail "no drag played"
window=$(xdotool search --name '^Mirlow Click Catcher$' | head -n1)
xdotool windowfocus --sync "$window" && xdotool key ctrl+Escape || fail "cannot press Ctrl+Esc"

probe wait-box "0 Playbacks Completed" 15000 >/dev/null || fail "no interruption warning"
probe press "0 Playbacks Completed" 1 || fail "cannot close the warning"
wait_exit 20
[ "$EXIT_CODE" = "4" ] || fail "exit code $EXIT_CODE, expected 4 (cancelled)"
expect_lines_in_order "$log" "Script Command #0: TYPE '{shiftdown}'" \
    "Releasing 2 key(s) and button(s)" "CANCELLED RECORDING"
grep -q "WM_MOUSEMOVE (310, 310)" "$log" && grep -qx "L 300 300" "$caught" \
    || fail "the drag did not start"
[ -z "$(probe keys-down)" ] || fail "still down after the cancel: $(probe keys-down)"
! grep -qx "K 1B" "$caught" || fail "the Esc of the cancel keys reached the window"
probe close "-:Mirlow Click Catcher" >/dev/null
wait "$catcher"
use_log_file "" 0
echo "Ctrl+Esc on a busy playback thread ends a drag and {shiftdown} with nothing held: ok"
