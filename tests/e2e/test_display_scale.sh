#!/usr/bin/env bash
# The main window at 96, 144 and 192 DPI: the toolbar's buttons grow with
# the scale, the settings panel sits below the toolbar's real height and a
# gap of 3 pixels (at 96 DPI) inside the client area, and with the panel
# hidden the bar still shows the whole toolbar. The About box and the Legal
# Agreement at 144 and 192 DPI. Screenshots of each are left in $E2E_WORK
# to look at.
source "$(dirname "$0")/lib.sh"
rm -f "$E2E_WORK"/*.png
# The scale and what the runs stored must not outlive this test.
trap 'forget_settings; use_dpi 96; stop_leftover_mirlow' EXIT

# expect_layout DPI shown|hidden: every toolbar button lies whole inside
# the client area, and a shown panel starts below the toolbar and ends
# inside the client area.
expect_layout() {
    local layout width height top bottom last panel ptop pbottom gap
    layout=$(layout_now) || fail "no layout at $1 DPI"
    read -r _ width height <<<"$(grep '^client ' <<<"$layout")"
    read -r _ _ _ top _ bottom <<<"$(grep '^child ToolbarWindow32 ' <<<"$layout")" \
        || fail "no toolbar at $1 DPI"
    last=$(awk '$1 == "toolbar-button" {right = $7} END {print right + 0}' <<<"$layout")
    [ "$last" -gt 0 ] && [ "$last" -le "$width" ] \
        || fail "at $1 DPI ($2) the last button ends at $last of $width pixels"
    [ "$bottom" -le "$height" ] || fail "at $1 DPI ($2) the toolbar ends at $bottom of $height"
    panel=$(grep '^child #32770 ' <<<"$layout")
    if [ "$2" = hidden ]; then
        [ -z "$panel" ] || fail "a hidden panel shows at $1 DPI"
        return 0
    fi
    read -r _ _ _ ptop _ pbottom <<<"$panel" || fail "no panel at $1 DPI"
    gap=$(((3 * $1 + 48) / 96))
    [ "$ptop" -eq $((bottom - top + gap)) ] \
        || fail "at $1 DPI the panel starts at $ptop, the toolbar is $((bottom - top)) high"
    [ "$pbottom" -le "$height" ] || fail "at $1 DPI the panel ends at $pbottom of $height"
}

panel_hidden() {
    ! layout_now | grep '^child #32770 ' >/dev/null
}

shot() { # NAME
    sleep 0.5
    import -window root "$E2E_WORK/$1.png" || fail "no screenshot $1"
}

for dpi in 96 144 192; do
    use_dpi "$dpi"
    start_mirlow
    probe wait-window Mirlow 15000 || fail "no main window at $dpi DPI"
    wait_for_line_containing "$PROBE_FILE" "dialog 1028 dpi $dpi " 5 || fail "no panel at $dpi DPI"
    # Each button is at least as wide as the scale asks (18 pixels at 96 DPI).
    buttons=$(layout_now | grep '^toolbar-button ')
    first=$(awk '$2 == 1057 {print $3}' <<<"$buttons")
    second=$(awk '$2 == 1040 {print $3}' <<<"$buttons")
    [ $((second - first)) -ge $((18 * dpi / 96)) ] \
        || fail "at $dpi DPI the buttons are $((second - first)) pixels apart"
    expect_layout "$dpi" shown
    shot "main-window-$dpi"
    probe post-command Mirlow 1086 || fail "cannot hide the panel"
    poll 5 panel_hidden || fail "the panel stays at $dpi DPI"
    expect_layout "$dpi" hidden
    shot "bar-$dpi"
    probe post-command Mirlow 1086 || fail "cannot show the panel again"

    if [ "$dpi" != 96 ]; then
        probe post-command Mirlow 1019
        probe wait-window "-:About Mirlow" 10000 || fail "no About box at $dpi DPI"
        shot "about-$dpi"
        probe press "About Mirlow" 1
        probe wait-gone "-:About Mirlow" 5000 || fail "the About box stays"

        probe post-command Mirlow 1076
        probe wait-window "-:Mirlow Legal Agreement" 10000 || fail "no Legal Agreement at $dpi DPI"
        shot "legal-$dpi"
        probe press "Mirlow Legal Agreement" 1
        probe wait-gone "-:Mirlow Legal Agreement" 5000 || fail "the Legal Agreement stays"
    fi
    grep -q "^clipped" "$PROBE_FILE" && fail "clipped at $dpi DPI: $(grep '^clipped' "$PROBE_FILE")"

    probe close Mirlow
    wait_exit 15
    [ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE at $dpi DPI"
done
echo "toolbar, panel and dialogs at 96, 144 and 192 DPI: ok (screenshots in $E2E_WORK)"
