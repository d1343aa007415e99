#!/usr/bin/env bash
# The settings panel and the Options dialog of the real program: a stored
# LastTab outside 1 to 3 opens the first page, Ctrl+Page Down and Ctrl+Page
# Up cycle the pages, a refused key shows its warning and the key in
# force, and values set through the controls reach the registry (the keys
# at once, the rest with the exit batch). Every text fits at 96 dpi.
source "$(dirname "$0")/lib.sh"

key='HKLM\SOFTWARE\Mirlow'
# Later tests play recordings: what is stored here (Continuous among it)
# must not outlive this test.
forget_settings() {
    wine reg delete "$key" /f >/dev/null 2>&1
    wine reg delete 'HKCU\SOFTWARE\Mirlow' /f >/dev/null 2>&1
}
forget_settings
trap 'forget_settings; stop_leftover_mirlow' EXIT
wine reg add "$key" /v LastTab /t REG_DWORD /d 7 /f >/dev/null 2>&1 || fail "cannot store LastTab"
start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
wait_for_line "$PROBE_FILE" "dialog 1028 dpi 96 controls 31 clipped 0" 5 \
    || fail "panel texts do not fit: $(grep -E '^(clipped|dialog)' "$PROBE_FILE")"

# The page shown: 0 Playback, 1 Options, 2 Keyboard (by one control of each).
page_shown() {
    local page=0 id
    for id in 1013 1046 1038; do
        [ "$(probe item Mirlow "$id" | cut -d' ' -f1)" = 1 ] && { echo "$page"; return; }
        page=$((page + 1))
    done
    echo none
}
expect_page() {
    poll 3 test "$(page_shown)" = "$1" || fail "page $(page_shown) shown, expected $1"
}
expect_page 0

# Values through the Playback page's controls.
probe type Mirlow 1022 12abc || fail "cannot type the repeat count"
probe click Mirlow 1016 || fail "cannot click Fast"
probe click Mirlow 1090 || fail "cannot click Continuous"
poll 3 test "$(probe item Mirlow 1022 | cut -d' ' -f2)" = 0 || fail "Continuous left the edit enabled"

# Real keys: a click gives the window the keyboard, then Ctrl+Page Down.
read -r left top right bottom <<<"$(probe item-rect Mirlow 1023)" || fail "no speed label"
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
for expected in 1 2; do
    xdotool key ctrl+Next
    expect_page "$expected"
done

# Keyboard page: F5 stops recordings (stored at once); F5 as the Special
# Type key is refused with a warning and the box shows no key again.
probe select Mirlow 1038 5 || fail "cannot choose the stop key"
poll 3 bash -c "wine reg query '$key' /v StopKey 2>/dev/null | grep -q 0x74" \
    || fail "StopKey not stored at once"
probe select Mirlow 1043 5 || fail "cannot choose the type key"
text=$(probe wait-box "Mirlow Warning" 5000) || fail "no warning for the same key"
[[ $text == *'cannot be the same.'* ]] || fail "warning reads '$text'"
probe press "Mirlow Warning" 1 || fail "cannot close the warning"
[ "$(probe item Mirlow 1043 | cut -d' ' -f4)" = -1 ] || fail "the refused key is still shown"
wine reg query "$key" /v TypeKey >/dev/null 2>&1 && fail "the refused TypeKey was stored"

xdotool key ctrl+Next
expect_page 0
xdotool key ctrl+Prior
expect_page 2

# The Options dialog: its texts fit; a loop offset and a switch taken by OK.
probe post-command Mirlow 1110 || fail "cannot open the options"
probe wait-window -:Options 5000 || fail "no Options dialog"
wait_for_line "$PROBE_FILE" "dialog 1079 dpi 96 controls 40 clipped 0" 5 \
    || fail "option texts do not fit: $(grep -E '^(clipped|dialog 1079)' "$PROBE_FILE")"
probe type -:Options 1029 -5 || fail "cannot type the loop offset"
probe click -:Options 1031 || fail "cannot click Quit when done"
probe click -:Options 1 || fail "cannot press OK"
probe wait-gone -:Options 5000 || fail "OK left the dialog open"

probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
values=$(reg_values "$key") || fail "no settings stored"
expect_value "$values" Repeats "REG_DWORD 0xc"
expect_value "$values" Speed "REG_DWORD 0x3"
expect_value "$values" RepeatForever "REG_DWORD 0x1"
expect_value "$values" StopKey "REG_DWORD 0x74"
expect_value "$values" TypeKey "REG_DWORD 0x0"
expect_value "$values" LastTab "REG_DWORD 0x3"
expect_value "$values" LoopTypeBase "REG_DWORD 0xfffffffb"
expect_value "$values" QuitWhenDone "REG_DWORD 0x1"
echo "panel pages, keys, values and the options dialog: ok"
