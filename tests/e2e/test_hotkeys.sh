#!/usr/bin/env bash
# The record and play hotkeys with real X input while notepad is in front:
# Ctrl+Shift+Alt+R starts a recording of what is typed there and, pressed
# again, stops it, and the saved script holds the typed keys and none of
# the chord's; Ctrl+Shift+Alt+P replays it into notepad, and the same
# chord during a long playback stops it without joining the played keys.
source "$(dirname "$0")/lib.sh"

typed='hello wine'
log="$E2E_WORK/hotkeys.log"
script="$E2E_WORK/recorded.mrx"
rm -f "$log" "$script"
forget_settings
trap 'forget_settings; stop_leftover_mirlow; kill "${NOTEPAD_PID:-}" 2>/dev/null' EXIT
use_log_file "$log" 2
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

passes_over() {
    [ "$(grep -c 'Playback Complete!' "$log")" -gt "$1" ]
}
notepad_text_is() {
    [ "$(probe text "-:Untitled - Notepad")" = "$1" ]
}
notepad_text_is_not() {
    ! notepad_text_is "$1"
}
# A click into notepad's page below its one line of text gives it the
# keyboard with the caret after the text.
click_notepad() {
    xdotool mousemove $((left + 100)) $((bottom - 100)) click 1
    sleep 0.3
    # Wine without a window manager can make notepad the front window yet
    # leave the X keyboard focus where it was (seen when the test runs a
    # second time in one Wine session): typed keys would go there.
    local focus id
    focus=$(xdotool getwindowfocus getwindowname 2>/dev/null)
    if [ "$focus" != "Untitled - Notepad" ]; then
        id=$(xdotool search --name '^Untitled - Notepad$' 2>/dev/null | head -n1)
        [ -n "$id" ] && xdotool windowfocus "$id"
        sleep 0.2
    fi
}

start_notepad
read -r left top right bottom < <(probe rect "-:Untitled - Notepad") || fail "no notepad rect"
start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window"
# Its window comes to the front as it is shown; notepad is clicked after.
wait_for_line_containing "$PROBE_FILE" "dialog 1028 " 10 || fail "no settings panel"
sleep 0.5

click_notepad
xdotool key ctrl+shift+alt+r
wait_for_line_containing "$log" "Recording through low-level input hooks" 10 \
    || fail "the record hotkey started no recording"
xdotool type --delay 60 "$typed"
poll 10 notepad_text_is "$typed" || fail "the typing did not reach notepad"
xdotool key ctrl+shift+alt+r
wait_for_line_containing "$log" "END RECORDING" 10 || fail "the record hotkey did not stop it"

# The saved script's keys are the typed ones, each pressed and let go.
probe post-command Mirlow 1052 || fail "cannot post Save As"
probe answer-file-dialog "Save As" "$(winpath "$script")" 15000 || fail "no Save As dialog"
poll 10 test -s "$script" || fail "nothing saved"
keys=$(tr -d '\r' <"$script" | sed -n -E 's/^message=WM_(SYS)?KEY(DOWN|UP) .*paramL=([0-9]+) .*/\3/p' |
    while read -r paramL; do printf '%02X ' $((paramL & 0xFF)); done)
expected=$(printf '%s' "$typed" | tr 'a-z' 'A-Z' | od -An -tx1 | tr -s ' \n' ' ' |
    tr 'a-f' 'A-F' | awk '{for (i = 1; i <= NF; i++) printf "%s %s ", $i, $i}')
[ "$keys" = "$expected" ] || fail "the script's keys are '$keys', expected '$expected'"

# Played back into notepad by the play hotkey.
click_notepad
xdotool key ctrl+shift+alt+p
poll 20 notepad_text_is "$typed$typed" || fail "the replay typed '$(probe text "-:Untitled - Notepad")'"
wait_for_line_containing "$log" "Playback Complete!" 10 || fail "the replay did not end"

# A long playback, stopped by the same chord after its first pass.
probe type Mirlow 1022 500 || fail "cannot type the repeat count"
click_notepad
xdotool key ctrl+shift+alt+p
poll 20 passes_over 1 || fail "the long playback made no pass"
# Shift held meanwhile holds the typing back; once let go, it goes on.
xdotool keydown shift
wait_for_line_containing "$log" "The playback waits while the user holds" 5 \
    || fail "the playback did not wait for the held Shift"
held_text=$(probe text "-:Untitled - Notepad")
sleep 0.5
[ "$(probe text "-:Untitled - Notepad")" = "$held_text" ] || fail "the playback typed while Shift was held"
xdotool keyup shift
poll 5 notepad_text_is_not "$held_text" || fail "the typing did not go on after Shift was let go"
xdotool key ctrl+shift+alt+p
wait_for_line_containing "$log" "The play hotkey stops the playback" 10 || fail "the chord did not stop it"
# The chord's modifiers, held while the playback still typed, joined none
# of its keys: no shortcut of notepad's (Ctrl+H, Ctrl+O) took the keyboard.
focus=$(xdotool getwindowfocus getwindowname 2>/dev/null)
[ "$focus" = "Untitled - Notepad" ] || fail "a played key joined the chord: '$focus' has the keyboard"
passes=$(grep -c 'Playback Complete!' "$log")
sleep 1.5
passes_over "$passes" && fail "passes went on after the stop"
menu_now | grep -q '^    1044 enabled ' || fail "Start Recording is not offered after the stop"
probe close Mirlow || fail "cannot close"
wait_exit 20
kill "$NOTEPAD_PID" 2>/dev/null

echo "hotkeys record, play and stop from notepad: ok"
