#!/usr/bin/env bash
# A recording made in notepad with real X input and saved in the default
# (binary) format waits for its window when it is played: played while
# notepad starts 3 s late somewhere else, the text arrives and the run
# ends with 0; played while notepad is minimized, notepad is restored and
# the text arrives; played while only another notepad document is open,
# nothing is typed into that document and the run ends with 3, naming
# the window it waited for.
source "$(dirname "$0")/lib.sh"

typed='late but right'
log="$E2E_WORK/windows.log"
recording="$E2E_WORK/noted.mrl"
other="$E2E_WORK/other.txt"
rm -f "$log" "$recording"
use_log_file "$log" 3
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

# notepad_at X Y: the next notepad opens with its corner there.
notepad_at() {
    local value
    for value in "iWindowPosX $1" "iWindowPosY $2" "iWindowPosDX 500" "iWindowPosDY 400"; do
        set -- $value
        wine reg add 'HKCU\Software\Microsoft\Notepad' /v "$1" /t REG_DWORD /d "$2" /f \
            >/dev/null 2>&1
    done
}

stop_notepad() {
    kill "$NOTEPAD_PID" 2>/dev/null
    probe wait-gone "$1" 10000 || fail "notepad '$1' stays"
}

notepad_at 450 250
start_notepad
read -r left top right bottom < <(probe rect "-:Untitled - Notepad") || fail "no notepad rect"
start_recording "$log"
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
xdotool type --delay 60 "$typed"
poll 10 bash -c "[ \"\$(timeout 20 wine '$MIRLOW_PROBE' text '-:Untitled - Notepad' \
    2>/dev/null | tr -d '\r')\" = '$typed' ]" || fail "the typing did not reach notepad"
stop_and_save_recording "$log" "$recording"
stop_notepad "-:Untitled - Notepad"

# Played while notepad comes 3 s late, 200 and 100 pixels further on.
notepad_at $((left + 200)) $((top + 100))
: >"$log"
start_mirlow "$(winpath "$recording")"
sleep 3
start_notepad
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "playback exit code $EXIT_CODE"
read -r left2 top2 _ < <(probe rect "-:Untitled - Notepad") || fail "no second notepad"
[ "$left2 $top2" = "$((left + 200)) $((top + 100))" ] || fail "notepad opened at $left2 $top2"
got=$(probe text "-:Untitled - Notepad")
[ "$got" = "$typed" ] || fail "the replay typed '$got'"
expect_lines_in_order "$log" \
    "    Waiting up to 10000 ms for the window 'Untitled - Notepad' (program 'notepad.exe'" \
    "    The window 'Untitled - Notepad' came after" \
    "    The window 'Untitled - Notepad' moved by (200, 100): its clicks and moves follow it" \
    "Playback Complete!"
stop_notepad "-:Untitled - Notepad"

# Played while notepad is minimized: it is restored before its place is
# read, and the click and the text land in it.
notepad_at "$left" "$top"
start_notepad
probe minimize "-:Untitled - Notepad" || fail "cannot minimize notepad"
poll 5 bash -c "[ \"\$(timeout 20 wine '$MIRLOW_PROBE' placement '-:Untitled - Notepad' \
    2>/dev/null | tr -d '\r')\" = minimized ]" || fail "notepad does not minimize"
: >"$log"
start_mirlow "$(winpath "$recording")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "playback into the minimized notepad: exit code $EXIT_CODE"
[ "$(probe placement "-:Untitled - Notepad")" = "normal" ] || fail "notepad stays minimized"
got=$(probe text "-:Untitled - Notepad")
[ "$got" = "$typed" ] || fail "the replay into the minimized notepad typed '$got'"
expect_lines_in_order "$log" "    The window 'Untitled - Notepad' is minimized: restoring it" \
    "Playback Complete!"
stop_notepad "-:Untitled - Notepad"

# Played while only another notepad document is open: nothing reaches it.
printf 'keep' >"$other"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v WindowWait /t REG_DWORD /d 3 /f >/dev/null 2>&1
start_notepad "$(winpath "$other")"
probe wait-window "-:other.txt - Notepad" 20000 || fail "the other document does not open"
: >"$log"
start_mirlow "$(winpath "$recording")"
text=$(probe wait-box "Untitled - Notepad" 20000) || fail "no box naming the window"
[ "${text%%$'\n'*}" = "Unable to find the window 'Untitled - Notepad' (notepad.exe) that the recording plays into!" ] \
    || fail "box says '$text'"
probe press "Untitled - Notepad" 1 || fail "cannot press OK"
wait_exit 20
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE, expected 3 (stopped by an error)"
[ "$(probe text "-:other.txt - Notepad")" = "keep" ] || fail "input reached the other document"
expect_lines_in_order "$log" \
    "    ERROR: Event #" \
    "    ...Open window of 'notepad.exe': 'other.txt - Notepad'"
stop_notepad "-:other.txt - Notepad"
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v WindowWait /f >/dev/null 2>&1
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
wine reg delete 'HKCU\Software\Microsoft\Notepad' /f >/dev/null 2>&1
use_log_file "" 0
echo "recorded window waited for, followed, and never replaced: ok"
