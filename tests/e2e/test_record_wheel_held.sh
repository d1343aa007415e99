#!/usr/bin/env bash
# A wheel turn made while a button is held, and Stop Recording before the
# button is let go: the release the recorder adds stands where the pointer
# is (a wheel record packs its distance beside the row, which must not be
# taken for the row). Played back, the press, the turn and the release all
# land on that point, and nothing stays held.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/wheel.log"
script="$E2E_WORK/wheel.mrx"
caught="$E2E_WORK/caught.txt"
rm -f "$log" "$script" "$caught"
use_log_file "$log" 2
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

start_recording "$log"
# A window over the whole screen takes the real input (Wine sees no input
# over the bare root window).
probe catch-clicks "$(winpath "$E2E_WORK/first.txt")" 20000 &
catcher=$!
probe wait-window "-:Mirlow Click Catcher" 10000 || fail "no click catcher"
x=400 y=300
xdotool mousemove $x $y sleep 0.2 mousedown 1 sleep 0.2 click 5 sleep 0.2
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"
xdotool mouseup 1
hex() { printf '0x%X' "$1"; }
# The turn keeps its distance (-120) beside the row; the release is at the row.
expect_lines_in_order "$log" \
    "Message=WM_LBUTTONDOWN (paramL=$(hex $x), paramH=$(hex $y)," \
    "Message=522 (paramL=$(hex $x), paramH=0xFF88$(printf %04X $y)," \
    "Message=WM_LBUTTONUP (paramL=$(hex $x), paramH=$(hex $y)," \
    "END RECORDING"
kill "$catcher" 2>/dev/null
wine "$MIRLOW_PROBE" close "-:Mirlow Click Catcher" >/dev/null 2>&1

probe post-command Mirlow 1052 || fail "cannot post Save As"
probe answer-file-dialog "Save As" "$(winpath "$script")" 15000 || fail "no Save As dialog"
poll 10 test -s "$script" || fail "nothing saved"
probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20

# Played where a fresh catcher sees it.
probe catch-clicks "$(winpath "$caught")" 15000 &
catcher=$!
probe wait-window "-:Mirlow Click Catcher" 10000 || fail "no click catcher"
start_mirlow "$(winpath "$script")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "playback exit code $EXIT_CODE"
poll 5 grep -q "^W " "$caught" || fail "no wheel turn arrived"
grep -qx "L $x $y" "$caught" || fail "the press landed elsewhere: $(tr '\n' ' ' <"$caught")"
grep -qx "W -120 $x $y" "$caught" || fail "the turn landed elsewhere: $(tr '\n' ' ' <"$caught")"
held=$(probe keys-down)
[[ " $held " == *" 01 "* ]] && fail "the left button is still held"
wine "$MIRLOW_PROBE" close "-:Mirlow Click Catcher" >/dev/null 2>&1
wait "$catcher" 2>/dev/null
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "a wheel turn with a button held at Stop: ok"
