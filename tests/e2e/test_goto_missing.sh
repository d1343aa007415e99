#!/usr/bin/env bash
# A GOTO whose window does not exist ends the playback with its message
# box; once the box is answered the unattended run ends with the error
# code, and the log holds the error line. With BoxWait 3 nobody answers:
# the box closes itself after 3 s, the log says so, and the run ends with
# the same code within about 5 s. With WindowWait 0 the GOTO fails at once
# instead of waiting for its window to come.
source "$(dirname "$0")/lib.sh"
trap 'for value in BoxWait WindowWait; do
    wine reg delete "HKLM\SOFTWARE\Mirlow" /v $value /f >/dev/null 2>&1
done; stop_leftover_mirlow' EXIT
wine reg add 'HKLM\SOFTWARE\Mirlow' /v WindowWait /t REG_DWORD /d 0 /f >/dev/null 2>&1

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

rm -f "$log"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v BoxWait /t REG_DWORD /d 3 /f >/dev/null 2>&1
started=$(date +%s%N)
start_mirlow "$(winpath "$script")"
probe wait-box "$title" 20000 >/dev/null || fail "no message box with BoxWait"
wait_exit 20
elapsed=$((($(date +%s%N) - started) / 1000000))
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE with BoxWait, expected 3"
[ "$elapsed" -ge 3000 ] && [ "$elapsed" -le 6000 ] || fail "the run took $elapsed ms with BoxWait 3"
expect_lines_in_order "$log" "Message box '$title' closed itself after 3 s (answered OK): $expected"
grep -qF "    ERROR: Unable to find window '$title'!" "$log" || fail "no error line with BoxWait"
use_log_file "" 0
echo "missing GOTO window ends the run, and with BoxWait in $elapsed ms: ok"
