#!/usr/bin/env bash
# Input that the system refuses (stood in for by the test probe, as Wine
# cannot be made to refuse it) ends the playback as an error: the box, the
# log line that says why, exit code 3, and nothing left held down.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/refused.log"
rm -f "$log"
use_log_file "$log" 1
script="$E2E_WORK/refused.mrx"
printf '%s\r\n' \
    "message=WM_MOUSEMOVE paramH=200 paramL=200 time=100" \
    "message=516 paramH=200 paramL=200 time=110" \
    "message=WM_MOUSEMOVE paramH=210 paramL=210 time=120" \
    "message=517 paramH=210 paramL=210 time=130" >"$script"

PROBE_FILE="$E2E_WORK/probe-refused.txt"
echo "control refuse-input 3" >"$PROBE_FILE"
MIRLOW_TEST_PROBE="$(winpath "$PROBE_FILE")" timeout 60 wine "$MIRLOW_EXE" "$(winpath "$script")" \
    >/dev/null 2>&1 &
MIRLOW_PID=$!
text=$(probe wait-box "Playback Error" 15000) || fail "no error box"
[ "${text%%$'\n'*}" = "Windows refused the input that Mirlow played." ] || fail "box says '$text'"
probe press "Playback Error" 1 || fail "cannot close the box"
wait_exit 20
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE, expected 3"
expect_lines_in_order "$log" "Releasing 1 key(s) and button(s)" \
    "    ERROR: Event #3: Windows refused the input (system error 5)!"
grep -q "Playback Complete" "$log" && fail "the run says it completed"
[ -z "$(probe keys-down)" ] || fail "still down: $(probe keys-down)"
use_log_file "" 0
echo "refused input ends the playback as an error: ok"
