#!/usr/bin/env bash
# A GOTO whose window does not exist ends the playback with its message
# box; once the box is answered the unattended run ends with the error
# code, and the log holds the error line.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/low.log"
rm -f "$log"
use_log_file "$log" 1
title="No Such Window Here"
script="$E2E_WORK/missing.mrx"
printf '%s\r\n' "GOTO $title" "message=WM_KEYDOWN paramH=0 paramL=65 time=100" >"$script"

start_mirlow "$(winpath "$script")"
text=$(probe wait-box "$title" 20000) || fail "no message box captioned '$title'"
expected="Unable to find and GOTO window with the title '$title'!"
[ "${text%%$'\n'*}" = "$expected" ] || fail "box says '$text'"
probe press "$title" 1 || fail "cannot press OK"
wait_exit 20
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE, expected 3 (stopped by an error)"
expect_lines_in_order "$log" "    ERROR: Unable to find window '$title'!"
use_log_file "" 0
echo "missing GOTO window ends the run: ok"
