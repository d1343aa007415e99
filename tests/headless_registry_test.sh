#!/usr/bin/env bash
# The headless mirlow takes its registry from the .reg file that
# MIRLOW_REGISTRY names: the file's settings drive the run, a run that
# changes nothing leaves the file byte for byte as it was, and a file that
# is not a registry file is reported and never overwritten.
#   headless_registry_test.sh PATH_OF_MIRLOW
set -uo pipefail
mirlow=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

printf 'message=WM_MOUSEMOVE paramH=20 paramL=10 time=100\r\n' >"$work/one.mrx"
echo "old line" >"$work/old.log"

# As the registry editor writes it: UTF-16 with a byte-order mark.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n"Logfile"="%s"\r\n"RestartLog"=dword:00000001\r\n' \
    "$work/old.log" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/settings.reg"
cp "$work/settings.reg" "$work/before.reg"

MIRLOW_REGISTRY="$work/settings.reg" "$mirlow" "$work/one.mrx" || fail "run failed"
[ ! -e "$work/old.log" ] || fail "RestartLog from the registry file did not erase the log"
cmp -s "$work/settings.reg" "$work/before.reg" || fail "a run that changed nothing rewrote the file"

MIRLOW_REGISTRY="$work/new.reg" "$mirlow" "$work/one.mrx" || fail "run with a missing file failed"
[ ! -e "$work/new.reg" ] || fail "a run that changed nothing created the registry file"

echo "not a registry file" >"$work/other.txt"
MIRLOW_REGISTRY="$work/other.txt" "$mirlow" "$work/one.mrx" 2>"$work/stderr" \
    || fail "run with a foreign file failed"
grep -q "not a registry file" "$work/stderr" || fail "no warning about the foreign file"
[ "$(cat "$work/other.txt")" = "not a registry file" ] || fail "the foreign file was changed"
echo "headless registry file: ok"
