#!/usr/bin/env bash
# A command-line run that does the program's main job: it starts Wine's
# notepad, brings it forward, types a line with capitals, digits,
# punctuation, a tab, Enter and the date, and saves it through notepad's own
# Save As dialog, all by injected keys. The saved file, the exit code and
# the MEDIUM log are checked.
source "$(dirname "$0")/lib.sh"

saved="$WINEPREFIX/drive_c/users/Public/out.txt"
log="$E2E_WORK/medium.log"
rm -f "$saved" "$log"
use_log_file "$log" 2

script="$E2E_WORK/notepad.mrx"
printf '%s\r\n' \
    "; types a line into notepad and saves it" \
    "START notepad.exe" \
    "WAIT 2 seconds" \
    "GOTO Untitled - Notepad" \
    "TYPE Hello World 123, ok!{tab}tab{enter}" \
    "TYPE {date}{enter}" \
    "TYPE {ctrldown}" \
    "TYPE s" \
    "TYPE {ctrlup}" \
    "WAIT 1" \
    'TYPE C:\users\Public\out.txt{enter}' \
    "WAIT 1" >"$script"

# The script gives notepad two seconds to come up. Its very first start in
# a fresh prefix can take longer, so it is started and closed once first.
timeout 30 wine notepad >/dev/null 2>&1 &
warm=$!
probe wait-window "-:Untitled - Notepad" 20000 || fail "notepad does not start at all"
probe close "-:Untitled - Notepad"
wait $warm

# The date typed is the one of the moment the TYPE ran: the day the run
# started or, past midnight, the day it ended.
started_on=$(date +%m/%d/%Y)
start_mirlow "$(winpath "$script")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
wait_for_file "$saved" 10 || fail "notepad saved no file"
ended_on=$(date +%m/%d/%Y)
probe close "-:out.txt - Notepad" >/dev/null

expected_on() {
    printf 'Hello World 123, ok!\ttab\r\n%s\r\n' "$1" >"$E2E_WORK/expected.txt"
    cmp -s "$E2E_WORK/expected.txt" "$saved"
}
expected_on "$started_on" || expected_on "$ended_on" || {
    od -c "$saved" | head >&2
    fail "the saved text differs"
}

# The MEDIUM log holds the script commands and the events, in order.
expect_lines_in_order "$log" \
    "Script Command #0: START 'notepad.exe'" \
    "Script Command #1: WAIT '2 '" \
    "Script Command #2: GOTO 'Untitled - Notepad'" \
    "    Found window 'Untitled - Notepad'" \
    "Script Command #3: TYPE 'Hello World 123, ok!{tab}tab{enter}'" \
    "Play Event #5: Message=WM_KEYDOWN (0, 16)" \
    "Play Event #6: Message=WM_KEYDOWN (0, 72)" \
    "Playback Complete!"
use_log_file "" 0
echo "notepad typed and saved by a command-line run: ok"
