#!/usr/bin/env bash
# Unicode key input, as an on-screen keyboard or a password manager sends
# it, typed into notepad during a recording: every character is recorded
# whole (the whole code unit beside the key, not just its low byte), saved
# in a text script, and played into a fresh notepad as the same characters.
source "$(dirname "$0")/lib.sh"

# "Łódź €5 ß", as UTF-16 code units.
units=(141 F3 64 17A 20 20AC 35 20 DF)
expected="0141 00F3 0064 017A 0020 20AC 0035 0020 00DF"
log="$E2E_WORK/unicode.log"
script="$E2E_WORK/unicode.mrx"
rm -f "$log" "$script"
use_log_file "$log" 2
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

start_notepad
read -r left top right bottom < <(probe rect "-:Untitled - Notepad") || fail "no notepad rect"
start_recording "$log"
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
sleep 0.3
probe send-unicode "${units[@]}" || fail "the helper cannot send Unicode key input"
poll 10 bash -c "[ \"\$(timeout 20 wine '$MIRLOW_PROBE' text-hex '-:Untitled - Notepad' \
    2>/dev/null | tr -d '\r')\" = '$expected' ]" || fail "the characters did not reach notepad"
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"

# Ł is U+0141: the key's scan-code byte holds 0x41, paramH the whole unit;
# € (U+20AC) and its release likewise.
expect_lines_in_order "$log" \
    "Message=WM_LBUTTONDOWN" \
    "Message=WM_KEYDOWN (paramL=0x41E7, paramH=0x1410001, wParam=0xE7, lParam=0x41)" \
    "Message=WM_KEYUP (paramL=0xC041E7, paramH=0x1410001, wParam=0xE7, lParam=0x41)" \
    "Message=WM_KEYDOWN (paramL=0xACE7, paramH=0x20AC0001" \
    "Message=WM_KEYDOWN (paramL=0xDFE7, paramH=0xDF0001" \
    "END RECORDING"
expect_count_agrees "$log"

probe post-command Mirlow 1052 || fail "cannot post Save As"
probe answer-file-dialog "Save As" "$(winpath "$script")" 15000 || fail "no Save As dialog"
poll 10 test -s "$script" || fail "nothing saved"
grep -q "paramH=$((16#20AC0001)) " "$script" || fail "the script lost the euro sign's code unit"
probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20
kill "$NOTEPAD_PID" 2>/dev/null
probe wait-gone "-:Untitled - Notepad" 10000 || fail "the first notepad stays"

start_notepad
start_mirlow "$(winpath "$script")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "playback exit code $EXIT_CODE"
got=$(probe text-hex "-:Untitled - Notepad")
[ "$got" = "$expected" ] || fail "the replay typed $got"
kill "$NOTEPAD_PID" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "Unicode key input recorded whole and replayed: ok"
