#!/usr/bin/env bash
# A recording played with its own folder as the current folder (as a
# double-click on it in Explorer starts it) beside a program named like a
# system one: START notepad.exe starts the system's notepad, never the
# program planted beside the recording.
source "$(dirname "$0")/lib.sh"

work=$(realpath -m "$E2E_WORK")
rm -rf "$work"
mkdir -p "$work"
cp "$MIRLOW_PROBE" "$work/notepad.exe"
printf '%s\r\n' "START notepad.exe" "WAIT 1" >"$work/planted.mrx"

# Notepad's very first start in a fresh prefix is slow: once first.
timeout 30 wine notepad >/dev/null 2>&1 &
warm=$!
probe wait-window "-:Untitled - Notepad" 20000 || fail "notepad does not start at all"
probe close "-:Untitled - Notepad"
wait $warm

cd "$work"
start_mirlow "$(winpath "$work/planted.mrx")"
cd - >/dev/null
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
probe wait-window "-:Untitled - Notepad" 10000 || fail "the system's notepad was not started"
probe close "-:Untitled - Notepad"
echo "START runs the system's notepad, not the one beside the recording: ok"
