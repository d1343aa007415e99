#!/usr/bin/env bash
# mirlow.exe started with a path runs without ever showing its window and
# ends by itself.
source "$(dirname "$0")/lib.sh"

script="$E2E_WORK/one.mrx"
printf 'WM_MOUSEMOVE paramL=10 paramH=20 time=100\r\n' >"$script"
start_mirlow "$(winpath "$script")"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
grep -qx "end menu" "$PROBE_FILE" || fail "the main window was never created"
if grep -qx "shown" "$PROBE_FILE"; then fail "a window was shown in command-line mode"; fi
echo "command-line run stays hidden and ends: ok"
