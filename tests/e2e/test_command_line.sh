#!/usr/bin/env bash
# mirlow.exe started with a path loads the recording, runs without ever
# showing its window and ends by itself; a file that cannot be loaded ends
# the run after the loader's message.
source "$(dirname "$0")/lib.sh"

script="$E2E_WORK/one.mrx"
printf 'message=WM_MOUSEMOVE paramH=20 paramL=10 time=100\r\nWAIT 1 second\r\n' >"$script"
start_mirlow "$(winpath "$script")"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
grep -qx "end menu" "$PROBE_FILE" || fail "the main window was never created"
if grep -qx "shown" "$PROBE_FILE"; then fail "a window was shown in command-line mode"; fi
echo "command-line run stays hidden and ends: ok"

records="$E2E_WORK/two.mrl"
head -c 40 /dev/zero >"$records"
start_mirlow "$(winpath "$records")"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE for a binary recording"
echo "command-line run of a binary recording ends: ok"

short="$E2E_WORK/short.mrl"
head -c 61 /dev/zero >"$short"
start_mirlow "$(winpath "$short")"
text=$(probe wait-box Error 15000) || fail "no message for a 61-byte recording"
[ "$text" = "Unable to open file '$(winpath "$short")'!" ] || fail "message was '$text'"
probe press Error 1 || fail "cannot press OK"
wait_exit 20
[ "$EXIT_CODE" = "2" ] || fail "exit code $EXIT_CODE after a failed load"
if grep -qx "shown" "$PROBE_FILE"; then fail "a window was shown after a failed load"; fi
echo "command-line run of an unloadable file ends after its message: ok"
