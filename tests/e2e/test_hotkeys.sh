#!/usr/bin/env bash
# The record and play hotkeys with real X input while notepad is in front:
# Ctrl+Shift+Alt+R starts a recording of what is typed there and, pressed
# again, stops it, and the saved script holds the typed keys and none of
# the chord's; Ctrl+Shift+Alt+P replays it into notepad, and the same
# chord during a long playback stops it. A chord the playback plays
# reaches the program it is played to. A hotkey another program holds is
# shown as not available and logged; another chord is taken at once.
source "$(dirname "$0")/lib.sh"

typed='hello wine'
log="$E2E_WORK/hotkeys.log"
script="$E2E_WORK/recorded.mrx"
chord_script="$E2E_WORK/chord.mrx"
caught="$E2E_WORK/caught.txt"
rm -f "$log" "$script" "$caught"
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
# A click into notepad's page below its one line of text gives it the
# keyboard with the caret after the text.
click_notepad() {
    xdotool mousemove $((left + 100)) $((bottom - 100)) click 1
    sleep 0.3
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
xdotool key ctrl+shift+alt+p
wait_for_line_containing "$log" "The play hotkey stops the playback" 10 || fail "the chord did not stop it"
passes=$(grep -c 'Playback Complete!' "$log")
sleep 1.5
passes_over "$passes" && fail "passes went on after the stop"
menu_now | grep -q '^    1044 enabled ' || fail "Start Recording is not offered after the stop"
probe close Mirlow || fail "cannot close"
wait_exit 20
kill "$NOTEPAD_PID" 2>/dev/null

# A chord in a recording is played to its program, not taken as the hotkey.
printf '%s\r\n' "message=WM_KEYDOWN paramH=1 paramL=7441 time=100" \
    "message=WM_KEYDOWN paramH=1 paramL=10768 time=110" \
    "message=WM_SYSKEYDOWN paramH=1 paramL=2111506 time=120" \
    "message=WM_SYSKEYDOWN paramH=1 paramL=2102098 time=130" \
    "message=WM_SYSKEYUP paramH=1 paramL=14685010 time=140" \
    "message=WM_KEYUP paramH=1 paramL=12597266 time=150" \
    "message=WM_KEYUP paramH=1 paramL=12593680 time=160" \
    "message=WM_KEYUP paramH=1 paramL=12590353 time=170" \
    "message=WM_KEYDOWN paramH=1 paramL=7745 time=180" \
    "message=WM_KEYUP paramH=1 paramL=12590657 time=190" >"$chord_script"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Reload /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v File1 /t REG_SZ /d "$(winpath "$chord_script")" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Repeats /t REG_DWORD /d 1 /f >/dev/null 2>&1
start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window with the chord script"
probe catch-clicks "$(winpath "$caught")" 15000 &
poll 5 test -e "$caught" || fail "no key catcher"
xdotool mousemove 640 400 click 1
sleep 0.3
passes=$(grep -c 'Playback Complete!' "$log")
lines=$(wc -l <"$log")
xdotool key ctrl+shift+alt+p
poll 10 passes_over "$passes" || fail "the chord script did not play"
poll 5 grep -qx 'K 41' "$caught" || fail "the catcher got no A: $(tr '\n' ' ' <"$caught")"
grep -qx 'K 52' "$caught" || fail "the played chord's R was taken away: $(tr '\n' ' ' <"$caught")"
tail -n +$((lines + 1)) "$log" | grep -q "record hotkey" && fail "the played chord was obeyed"
xdotool key Escape # the catcher ends with its time; nothing else waits for it
probe close Mirlow || fail "cannot close"
wait_exit 20
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v Reload /f >/dev/null 2>&1

# The play hotkey held by another program: the Keyboard tab and the log
# say so; a chord of its own is stored and taken at once.
held=$(mktemp -u)
timeout 40 wine "$MIRLOW_PROBE" hold-hotkey 0x750 30000 >"$held" 2>/dev/null &
poll 5 grep -q held "$held" || fail "the probe could not hold Ctrl+Shift+Alt+P"
start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window beside the held hotkey"
wait_for_line_containing "$log" \
    "The play hotkey Ctrl+Shift+Alt+P is not available: Windows refused it (error 1409): another program uses it" 5 \
    || fail "the refusal is not logged"
note_reads() {
    [ "$(probe item Mirlow 1127 | cut -d' ' -f5-)" = "$1" ]
}
poll 5 note_reads "Play hotkey not available: in use elsewhere" \
    || fail "the note reads '$(probe item Mirlow 1127 | cut -d' ' -f5-)'"
wait_for_line_containing "$PROBE_FILE" "dialog 1028 " 5 || fail "no panel"
grep -q "^clipped 1028" "$PROBE_FILE" && fail "clipped: $(grep '^clipped 1028' "$PROBE_FILE")"
read -r l t r b <<<"$(probe item-rect Mirlow 1023)" || fail "no speed label"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
for _ in 1 2; do
    sleep 0.3
    xdotool key ctrl+Next
done
poll 3 test "$(probe item Mirlow 1126 | cut -d' ' -f1)" = 1 || fail "the Keyboard tab is not shown"
read -r l t r b <<<"$(probe item-rect Mirlow 1126)" || fail "no play hotkey field"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
sleep 0.3
xdotool key ctrl+alt+k
poll 5 bash -c "wine reg query 'HKLM\\SOFTWARE\\Mirlow' /v PlayHotkey 2>/dev/null | grep -q 0x64b" \
    || fail "the new play hotkey was not stored at once"
poll 5 note_reads "" || fail "the note stays after a free chord"
probe close Mirlow || fail "cannot close"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
rm -f "$held"
echo "hotkeys record, play and stop from notepad, played chords reach their program: ok"
