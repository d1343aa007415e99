#!/usr/bin/env bash
# Ctrl+Esc while a modal box of the program is open (here the About box,
# whose loop drops thread messages): the recording, and then a playback,
# end at once, with the interruption warning shown over the box that is
# still open; neither waits for the box to close nor is left running.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/modal.log"
rm -f "$log"
use_log_file "$log" 1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /t REG_DWORD /d 0 /f >/dev/null 2>&1

# open_about_and_cancel: opens the About box, gives it the keyboard with a
# click and presses Ctrl+Esc; the warning must come while it is open.
open_about_and_cancel() {
    probe post-command Mirlow 1019 || fail "cannot post About"
    probe wait-window "-:About Mirlow" 10000 || fail "no About box"
    read -r aleft atop aright abottom < <(probe rect "-:About Mirlow") || fail "no About rect"
    xdotool mousemove $(((aleft + aright) / 2)) $((atop + 40)) click 1
    sleep 0.3
    xdotool key ctrl+Escape
    probe wait-box "0 Playbacks Completed" 10000 >/dev/null \
        || fail "$1: the cancel notice was lost in the About box's loop"
    [ "$(probe visible "-:About Mirlow")" = 1 ] || fail "$1: the About box was not open meanwhile"
    probe press "0 Playbacks Completed" 1 || fail "cannot close the warning"
}

# A recording.
start_recording "$log"
open_about_and_cancel recording
expect_lines_in_order "$log" "Recording through low-level input hooks" "END RECORDING" \
    "CANCELLED RECORDING"
probe press "About Mirlow" 1 || fail "cannot close the About box"
probe wait-gone "-:About Mirlow" 10000 || fail "the About box stays"
[ "$(probe title Mirlow)" = "Mirlow - (Untitled)" ] || fail "title '$(probe title Mirlow)'"
probe post-command Mirlow 1018 || fail "cannot post Exit"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"

# A playback that injects its input, run from the command line.
script="$E2E_WORK/long.mrx"
printf '%s\r\n' "WAIT 30" "message=WM_KEYDOWN paramH=0 paramL=65 time=100" >"$script"
rm -f "$log"
start_mirlow "$(winpath "$script")"
wait_for_line_containing "$log" "Playing through injected input" 15 || fail "no playback"
open_about_and_cancel playback
wait_exit 20
[ "$EXIT_CODE" = "4" ] || fail "exit code $EXIT_CODE, expected 4 (cancelled)"
expect_lines_in_order "$log" "Playing through injected input" "CANCELLED RECORDING"
use_log_file "" 0
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v PromptForSave /f >/dev/null 2>&1
echo "Ctrl+Esc inside a modal box ends a recording and a playback: ok"
