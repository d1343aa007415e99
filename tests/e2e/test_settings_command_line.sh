#!/usr/bin/env bash
# A command-line run registers the file types but writes no exit batch.
source "$(dirname "$0")/lib.sh"

exts='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts'
wine reg delete 'HKLM\SOFTWARE\Mirlow' /f >/dev/null 2>&1
wine reg delete "$exts\\.mrx" /f >/dev/null 2>&1

script="$E2E_WORK/one.mrx"
printf 'message=WM_MOUSEMOVE paramH=20 paramL=10 time=100\r\n' >"$script"
start_mirlow "$(winpath "$script")"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"

expect_value "$(reg_values "$exts\\.mrx")" Application "REG_SZ mirlow.exe"
if wine reg query 'HKLM\SOFTWARE\Mirlow' >/dev/null 2>&1; then
    fail "a command-line run wrote settings"
fi
echo "command-line run writes no exit batch: ok"
