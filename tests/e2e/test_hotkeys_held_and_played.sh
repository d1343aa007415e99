#!/usr/bin/env bash
# A chord the playback plays reaches the program it is played to and is
# not taken as a hotkey. A hotkey another program holds is shown as not
# available and logged; another chord typed into its field is taken at
# once.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/hotkeys.log"
chord_script="$E2E_WORK/chord.mrx"
caught="$E2E_WORK/caught.txt"
rm -f "$log" "$caught"
forget_settings
trap 'forget_settings; stop_leftover_mirlow' EXIT
use_log_file "$log" 2

passes_over() {
    [ "$(grep -c 'Playback Complete!' "$log")" -gt "$1" ]
}

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
# The log may not be there yet: nothing has been logged so far.
passes=$(cat "$log" 2>/dev/null | grep -c 'Playback Complete!')
lines=$(cat "$log" 2>/dev/null | wc -l)
xdotool key ctrl+shift+alt+p
poll 10 passes_over "$passes" || fail "the chord script did not play"
poll 5 grep -qx 'K 41' "$caught" || fail "the catcher got no A: $(tr '\n' ' ' <"$caught")"
grep -qx 'K 52' "$caught" || fail "the played chord's R was taken away: $(tr '\n' ' ' <"$caught")"
tail -n +$((lines + 1)) "$log" | grep -q "record hotkey" && fail "the played chord was obeyed"
xdotool key Escape # the catcher ends with its time; nothing else waits for it
probe close Mirlow || fail "cannot close"
wait_exit 20
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v Reload /f >/dev/null 2>&1

# Both hotkeys held by another program: the Keyboard tab and the log say
# so, and the note's two lines fit; a chord of its own is stored and taken
# at once.
held=$(mktemp -u)
for chord in 0x750 0x752; do
    timeout 40 wine "$MIRLOW_PROBE" hold-hotkey $chord 30000 >>"$held" 2>/dev/null &
done
both_held() {
    [ "$(grep -c held "$held")" = 2 ]
}
poll 5 both_held || fail "the probe could not hold Ctrl+Shift+Alt+P and R"
start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window beside the held hotkeys"
wait_for_line_containing "$log" \
    "The play hotkey Ctrl+Shift+Alt+P is not available: Windows refused it (error 1409): another program uses it" 5 \
    || fail "the refusal is not logged"
note_now() {
    probe item Mirlow 1127 | sed -E '1s/^([^ ]* ){4}//'
}
note_reads() {
    [ "$(note_now)" = "$1" ]
}
poll 5 note_reads $'Record hotkey in use elsewhere\nPlay hotkey in use elsewhere' \
    || fail "the note reads '$(note_now)'"
wait_for_line_containing "$PROBE_FILE" "dialog 1028 " 5 || fail "no panel"
grep -q "^clipped 1028" "$PROBE_FILE" && fail "clipped: $(grep '^clipped 1028' "$PROBE_FILE")"
for _ in 1 2; do
    probe key Mirlow 5001 0x27 # Right: the next tab
done
poll 3 test "$(probe item Mirlow 1126 | cut -d' ' -f1)" = 1 || fail "the Keyboard tab is not shown"
read -r l t r b <<<"$(probe item-rect Mirlow 1126)" || fail "no play hotkey field"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
sleep 0.3
xdotool key ctrl+alt+k
poll 5 bash -c "wine reg query 'HKLM\\SOFTWARE\\Mirlow' /v PlayHotkey 2>/dev/null | grep -q 0x64b" \
    || fail "the new play hotkey was not stored at once"
poll 5 note_reads "Record hotkey in use elsewhere" || fail "the note reads '$(note_now)' after a free chord"
probe close Mirlow || fail "cannot close"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
rm -f "$held"
echo "played chords reach their program; a hotkey held elsewhere is shown and another taken: ok"
