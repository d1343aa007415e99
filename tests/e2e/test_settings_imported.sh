#!/usr/bin/env bash
# A settings file imported with "regedit /s", in the form the registry
# editor writes (UTF-16 with a byte-order mark), changes what the program
# does: its window opens at the stored position.
source "$(dirname "$0")/lib.sh"

settings="$E2E_WORK/settings.reg"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"Left"=dword:00000064\r\n"Top"=dword:00000050\r\n"Speed"=dword:00000003\r\n' \
    | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$settings"
wine reg delete 'HKCU\SOFTWARE\Mirlow' /f >/dev/null 2>&1
wine regedit /s "$(winpath "$settings")" || fail "regedit could not import the file"
expect_value "$(reg_values 'HKLM\SOFTWARE\Mirlow')" Left "REG_DWORD 0x64"

start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
read -r left top _ <<<"$(probe rect Mirlow)"
[ "$left $top" = "100 80" ] || fail "window at $left,$top, expected 100,80"
probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
values=$(reg_values 'HKLM\SOFTWARE\Mirlow')
expect_value "$values" Left "REG_DWORD 0x64"
expect_value "$values" Speed "REG_DWORD 0x3"
echo "imported settings place the window: ok"
