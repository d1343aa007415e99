#!/usr/bin/env bash
# A session recorded with real X input at 96 DPI and replayed at 144 DPI
# (150 %) leaves every program as the recording left it. Recorded: the
# test window's Apply, a bare spot of it, Cancel and OK; in notepad,
# "hello world" typed and "big " typed after a click before "world"; in
# regedit, a double click that opens HKEY_LOCAL_MACHINE and a click on its
# first key, with the windows side by side. Replayed with every program
# started again at its scaled size, as Windows keeps a window's size in
# its own units, the windows elsewhere and on top of each other, and the
# test window also larger, so that its OK and Cancel sit elsewhere: the same
# clicks, the same text, the same key selected (the tree's items are
# taller at 144 DPI: a click played at its recorded point would select
# another root key). The log says how many presses found their control.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/scaled.log"
recording="$E2E_WORK/scaled.mrx"
recorded="$E2E_WORK/recorded.txt"
replayed="$E2E_WORK/replayed.txt"
rm -f "$log" "$recording" "$recorded" "$replayed"
helpers=""
# notepad's place and font size must not outlive this test.
trap 'kill $helpers ${NOTEPAD_PID:-} 2>/dev/null; wine reg delete "HKCU\Software\Microsoft\Notepad" /f \
    >/dev/null 2>&1; use_dpi 96; stop_leftover_mirlow' EXIT
# A notepad an earlier test ended may still be closing.
probe wait-gone "-:Untitled - Notepad" 10000 || fail "a notepad of another test is still open"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

# scaled UNITS: a length at 96 DPI at the scale in use.
scale=96
scaled() { echo $(($1 * scale / 96)); }

# start_programs NOTEPAD_X NOTEPAD_Y REGEDIT_X REGEDIT_Y: notepad and
# regedit at those places (at 96 DPI, grown with the scale), each at its
# size at 96 DPI grown with the scale. Wine's notepad draws its text at
# the display's scale only when its font size is in its settings
# (Windows' notepad always does); without it the text keeps its pixel
# size at 144 DPI, and no rule by the scale can find the same character
# again.
start_programs() {
    local value
    local regedit_x=$3 regedit_y=$4
    for value in "iWindowPosX $(scaled $1)" "iWindowPosY $(scaled $2)" \
        "iWindowPosDX $(scaled 450)" "iWindowPosDY $(scaled 300)" "iPointSize 100"; do
        set -- $value
        wine reg add 'HKCU\Software\Microsoft\Notepad' /v "$1" /t REG_DWORD /d "$2" /f \
            >/dev/null 2>&1
    done
    start_notepad
    timeout 120 wine regedit >/dev/null 2>&1 &
    helpers="$helpers $!"
    probe wait-window "-:Registry Editor" 20000 || fail "regedit does not start"
    probe place "-:Registry Editor" "$(scaled $regedit_x)" "$(scaled $regedit_y)" \
        "$(scaled 500)" "$(scaled 360)" || fail "cannot place regedit"
}

start_test_window() { # FILE [WIDTH HEIGHT]
    timeout 120 wine "$MIRLOW_PROBE" test-window "Mirlow Scale Test" "$(winpath "$1")" 100000 \
        "${@:2}" >/dev/null 2>&1 &
    helpers="$helpers $!"
    probe wait-window "-:Mirlow Scale Test" 15000 || fail "the test window does not start"
}

click_at() { # X Y
    xdotool mousemove "$1" "$2" click 1
    sleep 0.4
}

# centre RECT: the middle of "left top right bottom".
centre() {
    read -r l t r b <<<"$1"
    echo $(((l + r) / 2)) $(((t + b) / 2))
}

# The session, with real input, into windows side by side: the click
# into each brings it to the front and gives it the keyboard (a window
# brought forward by another program is not given the X focus again by
# the click).
record_session() {
    click_at $(centre "$(probe item-rect "-:Mirlow Scale Test" 101)")
    read -r x y < <(probe client-origin "-:Mirlow Scale Test")
    click_at $((x + 220)) $((y + 180))
    click_at $(centre "$(probe item-rect "-:Mirlow Scale Test" 2)")
    click_at $(centre "$(probe item-rect "-:Mirlow Scale Test" 1)")

    read -r l t r b < <(probe item-rect "-:Untitled - Notepad" 0)
    click_at $((l + 20)) $((b - 20))
    xdotool type --delay 60 "hello world"
    sleep 0.4
    read -r x y < <(probe char-point "-:Untitled - Notepad" 0 6)
    click_at $((x + 1)) $((y + 5))
    xdotool type --delay 60 "big "
    sleep 0.4

    # A double click opens HKEY_LOCAL_MACHINE; a click on the row below
    # selects its first key.
    read -r l t r b < <(probe tree-item "-:Registry Editor" 2002 HKEY_LOCAL_MACHINE)
    xdotool mousemove $((l + 20)) $(((t + b) / 2)) click --repeat 2 --delay 80 1
    sleep 0.6
    click_at $((l + 40)) $((b + (b - t) / 2))
}

# state: what the session left behind.
state() {
    echo "notepad: $(probe text "-:Untitled - Notepad")"
    echo "regedit: $(probe tree-selection "-:Registry Editor" 2002)"
}

stop_programs() {
    kill $helpers "$NOTEPAD_PID" 2>/dev/null
    helpers=""
    probe wait-gone "-:Untitled - Notepad" 10000
}

# ---- Recorded at 96 DPI ----
use_log_file "$log" 3
start_test_window "$recorded"
start_programs 520 40 520 380
start_recording "$log"
record_session
stop_and_save_recording "$log" "$recording"
expected=$(state)
grep -qx "notepad: hello big world" <<<"$expected" || fail "the recording left notepad with: $expected"
grep -q 'regedit: .*HKEY_LOCAL_MACHINE\\.' <<<"$expected" \
    || fail "the recording selected no key under HKEY_LOCAL_MACHINE: $expected"
grep -q 'dpi=96 .*control="Button" id=1 text="OK"' "$recording" \
    || fail "the recording noted no scale or control: $(grep ';@window' "$recording" | head -3)"
stop_programs

# ---- Replayed at 144 DPI, the test window larger ----
use_dpi 144
scale=144
start_test_window "$replayed" 500 380
start_programs 27 27 13 13
: >"$log"
start_mirlow "$(winpath "$recording")"
wait_exit 90
[ "$EXIT_CODE" = "0" ] || fail "replay exit code $EXIT_CODE"
got=$(state)
[ "$got" = "$expected" ] || fail "the replay at 144 DPI left '$got', the recording '$expected'"
cmp -s "$recorded" "$replayed" || fail "the test window saw $(tr '\n' ' ' <"$replayed"), \
recorded $(tr '\n' ' ' <"$recorded")"
expect_lines_in_order "$log" "is shown at 144 dpi, recorded at 96 dpi" "Playback Complete!"
found=$(grep -c "was found by" "$log")
missed=$(grep -c "was not found" "$log")
stop_programs
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "replayed at 144 DPI as recorded at 96: ok ($found presses found their control, $missed did not)"
