#!/usr/bin/env bash
# The settings panel and each page of the Options dialog at 96, 144 and 192
# dpi (Wine's LogPixels): every text fits its control (measured inside the
# program with the control's own font), the main window holds the panel
# whole, and a stored repeat count of eight digits survives. Keeps a
# screenshot of every page at every scale in E2E_WORK for a person to look
# at.
source "$(dirname "$0")/lib.sh"

# Later tests play recordings: the settings stored here (an eight-digit
# repeat count) must not outlive this test, nor must the scale.
trap 'forget_settings; use_dpi 96; stop_leftover_mirlow' EXIT

# shot NAME WINDOW: the window's part of the screen.
shot() {
    local left top right bottom
    read -r left top right bottom <<<"$(probe rect "$2")" || fail "no window $2 for $1"
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" \
        "$E2E_WORK/$1.png" || fail "no screenshot $1"
}

# A stored count of eight digits: the panel writes it into its repeat edit,
# and that write of its own must not cut it to seven.
wine reg delete 'HKLM\SOFTWARE\Mirlow' /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Repeats /t REG_DWORD /d 12345678 /f >/dev/null 2>&1
for dpi in 96 144 192; do
    use_dpi "$dpi"
    start_mirlow
    probe wait-window Mirlow 15000 || fail "no window at $dpi dpi"
    wait_for_line_containing "$PROBE_FILE" "dialog 1028 dpi $dpi " 5 || fail "no panel at $dpi dpi"
    grep -q "^clipped" "$PROBE_FILE" && fail "clipped at $dpi dpi: $(grep '^clipped' "$PROBE_FILE")"

    # The window's client area holds the panel: its bottom edge is inside
    # (once the window has taken the size the panel asks for).
    status_inside() {
        read -r _ _ _ window_bottom <<<"$(probe rect Mirlow)"
        read -r _ _ _ status_bottom <<<"$(probe item-rect Mirlow 1069)"
        [ "$status_bottom" -lt "$window_bottom" ]
    }
    poll 5 status_inside || fail "status line cut off at $dpi dpi: $status_bottom, window $window_bottom"

    # The status line as a playback shows it, in bold.
    poll 5 probe set-text Mirlow 1069 "PRESS CTRL + ESCAPE TO STOP" || fail "no status line"
    read -r left top right bottom <<<"$(probe item-rect Mirlow 1023)"
    xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
    for page in playback options keyboard; do
        sleep 0.3
        shot "panel-$dpi-$page" Mirlow
        xdotool key ctrl+Next
    done

    probe post-command Mirlow 1110 || fail "cannot open the options at $dpi dpi"
    probe wait-window -:Options 5000 || fail "no Options dialog at $dpi dpi"
    wait_for_line_containing "$PROBE_FILE" "dialog 1079 dpi $dpi " 5 || fail "no options probe"
    grep -q "^clipped" "$PROBE_FILE" && fail "clipped at $dpi dpi: $(grep '^clipped' "$PROBE_FILE")"
    for page in configuration ranges log; do
        sleep 0.3
        shot "options-$dpi-$page" -:Options
        probe key -:Options 5002 0x27 # Right: the next tab
    done
    probe click -:Options 2 || fail "cannot cancel the options"
    probe wait-gone -:Options 5000 || fail "Cancel left the dialog open"
    probe close Mirlow || fail "cannot close"
    wait_exit 15
    [ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE at $dpi dpi"
done
expect_value "$(reg_values 'HKLM\SOFTWARE\Mirlow')" Repeats "REG_DWORD 0xbc614e"
echo "panel and options fit at 96, 144 and 192 dpi; screenshots in $E2E_WORK"
