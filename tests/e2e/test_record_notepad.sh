#!/usr/bin/env bash
# The round trip a user makes: Start Recording, click into notepad and type
# a line with real X input, Stop Recording, Save As a text script; the
# recorded events are the clicks and keys the user made, and the script
# holds them; played in command-line mode into a fresh notepad, it types
# exactly the same text.
source "$(dirname "$0")/lib.sh"

typed='Hello World 123, ok!'
log="$E2E_WORK/record.log"
script="$E2E_WORK/recorded.mrx"
rm -f "$log" "$script"
use_log_file "$log" 2
# Exit after the recording asks nothing.
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

start_notepad
read -r left top right bottom < <(probe rect "-:Untitled - Notepad") || fail "no notepad rect"
start_recording "$log"

xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
xdotool type --delay 60 "$typed"
poll 10 bash -c "[ \"\$(timeout 20 wine '$MIRLOW_PROBE' text '-:Untitled - Notepad' \
    2>/dev/null | tr -d '\r')\" = '$typed' ]" || fail "the typing did not reach notepad"
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"

# The click, then Shift and H as a journal records them (scan codes in the
# second byte, "released" flags on the key-ups), the end marker's count.
expect_lines_in_order "$log" \
    "Message=WM_LBUTTONDOWN (paramL=0x$(printf %X $(((left + right) / 2)))" \
    "Message=WM_LBUTTONUP" \
    "Message=WM_KEYDOWN (paramL=0x2A10, paramH=0x1, wParam=0x10, lParam=0x2A)" \
    "Message=WM_KEYDOWN (paramL=0x2348, paramH=0x1, wParam=0x48, lParam=0x23)" \
    "Message=WM_KEYUP (paramL=0xC02348, paramH=0x1, wParam=0x48, lParam=0x23)" \
    "Message=WM_KEYDOWN (paramL=0x231, paramH=0x1, wParam=0x31, lParam=0x2)" \
    "Message=WM_KEYDOWN (paramL=0x33BC, paramH=0x1, wParam=0xBC, lParam=0x33)" \
    "END RECORDING"
expect_count_agrees "$log"

# Saved as a text script through the real Save As dialog: the script's
# event lines are the log's events, in order, then the end marker.
probe post-command Mirlow 1052 || fail "cannot post Save As"
probe answer-file-dialog "Save As" "$(winpath "$script")" 15000 || fail "no Save As dialog"
poll 10 test -s "$script" || fail "nothing saved"
pattern='^RECORDING #[0-9]+: Time=([0-9]+), Message=([A-Z_0-9]+) \(paramL=0x([0-9A-F]+), paramH=0x([0-9A-F]+)'
while IFS= read -r line; do
    [[ $line =~ $pattern ]] || continue
    message=${BASH_REMATCH[2]}
    [ "$message" = 260 ] && message=WM_SYSKEYDOWN
    [ "$message" = 261 ] && message=WM_SYSKEYUP
    printf 'message=%s paramH=%d paramL=%d time=%s\n' "$message" \
        "$((16#${BASH_REMATCH[4]}))" "$((16#${BASH_REMATCH[3]}))" "${BASH_REMATCH[1]}"
done < <(tr -d '\r' <"$log") >"$E2E_WORK/expected.txt"
grep -oE 'END RECORDING: Time: [0-9]+' "$log" | sed -E 's/.* ([0-9]+)$/message=15 paramH=0 paramL=0 time=\1/' \
    >>"$E2E_WORK/expected.txt"
tr -d '\r' <"$script" | grep '^message=' | diff - "$E2E_WORK/expected.txt" >&2 \
    || fail "the saved script's events are not the recorded ones"

probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20
kill "$NOTEPAD_PID" 2>/dev/null
probe wait-gone "-:Untitled - Notepad" 10000 || fail "the first notepad stays"

# Played into a fresh notepad, where the first one stood.
start_notepad
[ "$(probe rect "-:Untitled - Notepad")" = "$left $top $right $bottom" ] \
    || fail "the second notepad opened elsewhere"
start_mirlow "$(winpath "$script")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "playback exit code $EXIT_CODE"
got=$(probe text "-:Untitled - Notepad")
[ "$got" = "$typed" ] || fail "the replay typed '$got'"
kill "$NOTEPAD_PID" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "recorded from real input and replayed into notepad: ok"
