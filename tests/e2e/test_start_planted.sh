#!/usr/bin/env bash
# A recording played with its own folder as the current folder (as a
# double-click on it in Explorer starts it) beside a program named like a
# system one: START notepad.exe starts the system's notepad, never the
# program planted beside the recording. The Open dialog leaves the current
# folder as it was.
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

# The Open dialog leaves the current folder as it was: a log named without
# a folder goes on where Mirlow started, not where the recording was.
mkdir -p "$work/start"
forget_settings
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Logfile /t REG_SZ /d "cwd.log" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Log /t REG_DWORD /d 1 /f >/dev/null 2>&1
cd "$work/start"
start_mirlow
cd - >/dev/null
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
title_is() { [ "$(probe title Mirlow)" = "$1" ]; }
open_planted() {
    probe post-command Mirlow 1040 || fail "cannot post Open"
    probe answer-file-dialog Open "$(winpath "$work/planted.mrx")" 15000 || fail "no Open dialog"
}
# The first file dialog of a fresh prefix may let its answer go by.
open_planted
if ! poll 10 title_is "Mirlow - $(winpath "$work/planted.mrx")"; then
    probe press Open 2 >/dev/null 2>&1 && probe wait-gone "#32770" 5000 >/dev/null 2>&1 || true
    open_planted
fi
poll 10 title_is "Mirlow - $(winpath "$work/planted.mrx")" || fail "planted.mrx not opened"
probe post-command Mirlow 1047 || fail "cannot start the playback"
played() { grep -q "Playback Complete!" "$work/start/cwd.log" 2>/dev/null; }
poll 20 played || fail "no log where Mirlow started: $(ls "$work" "$work/start")"
[ ! -e "$work/cwd.log" ] || fail "the log went to the recording's folder"
probe close "-:Untitled - Notepad"
probe close Mirlow || fail "cannot close"
wait_exit 15
forget_settings
echo "the Open dialog leaves the current folder as it was: ok"
