#!/usr/bin/env bash
# A log file that names the recording being played, in other letter case,
# is the same file to Windows: the run neither erases it (RestartLog) nor
# writes into it, and the log goes to the same path with ".log" added.
source "$(dirname "$0")/lib.sh"

script="$E2E_WORK/Daily.mrx"
printf 'message=WM_MOUSEMOVE paramH=20 paramL=10 time=100\r\n' >"$script"
cp "$script" "$E2E_WORK/before.mrx"
logfile=$(winpath "$E2E_WORK/DAILY.MRX")
key='HKLM\SOFTWARE\Mirlow'
wine reg add "$key" /v Logfile /t REG_SZ /d "$logfile" /f >/dev/null 2>&1
wine reg add "$key" /v Log /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$key" /v RestartLog /t REG_DWORD /d 1 /f >/dev/null 2>&1

start_mirlow "$(winpath "$script")"
wait_exit 20
wine reg delete "$key" /f >/dev/null 2>&1
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
cmp -s "$script" "$E2E_WORK/before.mrx" || fail "the log erased or wrote into the recording"
moved=$(find "$E2E_WORK" -maxdepth 1 -iname 'daily.mrx.log' | head -n1)
[ -n "$moved" ] || fail "no log beside the recording"
head -n1 "$moved" | grep -q "is the recording in use" || fail "the moved log does not say why"
grep -q "Playback Complete!" "$moved" || fail "the moved log lacks the run's lines"
echo "log beside the recording: ok"
