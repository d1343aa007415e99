#!/usr/bin/env bash
# The toolbar and the About and Legal Agreement dialogs at 144 and 192 DPI,
# in a Wine of their own (the display scale is set for the whole prefix):
# the buttons grow with the scale, and screenshots of the main window and
# both dialogs are left in $E2E_WORK to look at.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/fresh_prefix.sh"
rm -f "$E2E_WORK"/*.png

for dpi in 144 192; do
    use_dpi "$dpi"
    start_mirlow
    probe wait-window Mirlow 15000 || fail "no main window at $dpi DPI"
    probe resize Mirlow $((400 * dpi / 96)) $((140 * dpi / 96)) || fail "cannot size the window"
    # Each button is at least as wide as the scale asks (18 pixels at 96 DPI).
    wait_for_line_containing "$PROBE_FILE" "toolbar-button 1019 " 5 || fail "no toolbar"
    first=$(awk '$2 == 1057 {print $3}' "$PROBE_FILE")
    second=$(awk '$2 == 1040 {print $3}' "$PROBE_FILE")
    [ $((second - first)) -ge $((18 * dpi / 96)) ] \
        || fail "at $dpi DPI the buttons are $((second - first)) pixels apart"
    sleep 0.5
    import -window root "$E2E_WORK/main-window-$dpi.png"

    probe post-command Mirlow 1019
    probe wait-window "-:About Mirlow" 10000 || fail "no About box at $dpi DPI"
    sleep 0.5
    import -window root "$E2E_WORK/about-$dpi.png"
    probe press "About Mirlow" 1
    probe wait-gone "-:About Mirlow" 5000 || fail "the About box stays"

    probe post-command Mirlow 1076
    probe wait-window "-:Mirlow Legal Agreement" 10000 || fail "no Legal Agreement at $dpi DPI"
    sleep 0.5
    import -window root "$E2E_WORK/legal-$dpi.png"
    probe press "Mirlow Legal Agreement" 1
    probe wait-gone "-:Mirlow Legal Agreement" 5000 || fail "the Legal Agreement stays"

    probe close Mirlow
    wait_exit 15
    [ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE at $dpi DPI"
done
echo "toolbar and dialogs at 144 and 192 DPI: ok (screenshots in $E2E_WORK)"
