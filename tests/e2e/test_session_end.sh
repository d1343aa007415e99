#!/usr/bin/env bash
# The end of the Windows session (wineboot --end-session sends both of its
# messages) loses nothing. With unsaved changes the program asks as
# closing does: Cancel keeps the session from ending and the program
# running; Yes saves through Save As, and the program then ends, having
# written the window's new place. An unattended run ends as a cancelled
# one, with exit code 4 and its log lines.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/low.log"
saved="$WINEPREFIX/drive_c/users/Public/session.mrx"
rm -f "$log" "$saved"
forget_settings
use_log_file "$log" 1

# end_session: asks every window to let the session end, in the background
# (it waits for the answers); ENDER holds its process id.
end_session() {
    timeout 60 wineboot --end-session >/dev/null 2>&1 &
    ENDER=$!
}

start_mirlow
probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window"
probe post-command Mirlow 1044 || fail "cannot post Start Recording"
wait_for_line_containing "$log" "Recording through low-level input hooks" 10 \
    || fail "recording did not start"
probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
wait_for_line_containing "$log" "END RECORDING" 10 || fail "recording did not stop"
probe move Mirlow 210 130 || fail "cannot move the window"

end_session
text=$(probe wait-box "Confirm Action" 10000) || fail "no question before the session ends"
[ "$text" = "Save changes to (Untitled)?" ] || fail "the question is '$text'"
probe press "Confirm Action" 2 || fail "cannot press Cancel"
wait "$ENDER"
sleep 0.5
kill -0 "$MIRLOW_PID" 2>/dev/null || fail "the program ended though Cancel was pressed"
probe wait-window Mirlow 1000 || fail "the window is gone though Cancel was pressed"

end_session
probe wait-box "Confirm Action" 10000 >/dev/null || fail "no question the second time"
probe press "Confirm Action" 6 || fail "cannot press Yes"
probe answer-file-dialog "Save As" 'C:\users\Public\session.mrx' 10000 \
    || fail "no Save As dialog"
wait_exit 20
[ "$EXIT_CODE" = "0" ] || fail "interactive exit code $EXIT_CODE"
wait "$ENDER"
wait_for_file "$saved" 5 || fail "the recording was not saved"
grep -q "^message=15 " "$saved" || fail "the saved recording has no end marker"
values=$(reg_values 'HKLM\SOFTWARE\Mirlow') || fail "no settings written"
expect_value "$values" Left "REG_DWORD 0xd2"
expect_value "$values" Top "REG_DWORD 0x82"
expect_lines_in_order "$log" "The Windows session is ending: Mirlow ends too"

# An unattended run that the session's end interrupts.
rm -f "$log"
script="$E2E_WORK/long.mrx"
printf '%s\r\n' "WAIT 30" "message=WM_KEYDOWN paramH=0 paramL=65 time=100" >"$script"
start_mirlow "$(winpath "$script")"
wait_for_line_containing "$log" "Playing through" 15 || fail "the playback did not start"
end_session
wait_exit 20
wait "$ENDER"
[ "$EXIT_CODE" = "4" ] || fail "command-line exit code $EXIT_CODE, expected 4 (cancelled)"
expect_lines_in_order "$log" "CANCELLED RECORDING" "The Windows session is ending: Mirlow ends too"
use_log_file "" 0
echo "the end of the session asks, saves, keeps the window's place and ends a run: ok"
