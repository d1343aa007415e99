#!/usr/bin/env bash
# The document life cycle through the real common dialogs: a script opened,
# saved as text and as a binary recording (a name without a dot, in a folder
# whose name has one), the binary opened and saved as text again, byte for
# byte the same; the title and the File menu's recent entries follow; a
# recent file that was deleted brings the question; Total Number of Actions
# counts; a minimised window's place is not stored.
source "$(dirname "$0")/lib.sh"

work=$(realpath -m "$E2E_WORK")
rm -f "$work"/*.mrx "$work"/*.mrl
printf '%s\r\n' "message=WM_MOUSEMOVE paramH=288 paramL=420 time=1000" \
    "message=WM_KEYDOWN paramH=0 paramL=65 time=1100" \
    "message=WM_KEYUP paramH=0 paramL=65 time=1150" >"$work/input.mrx"
forget_settings

start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"

# choose VERB-ID CAPTION UNIX_PATH: a File command whose dialog gets the path.
choose() {
    probe post-command Mirlow "$1" || fail "cannot post command $1"
    probe answer-file-dialog "$2" "$(winpath "$3")" 15000 || fail "no '$2' dialog for $3"
}
title_is() {
    [ "$(probe title Mirlow)" = "$1" ]
}
expect_title() {
    poll 10 title_is "$1" || fail "title is '$(probe title Mirlow)', expected '$1'"
}

choose 1040 Open "$work/input.mrx"
expect_title "Mirlow - $(winpath "$work/input.mrx")"

choose 1052 "Save As" "$work/out.mrx"
expect_title "Mirlow - $(winpath "$work/out.mrx")"
head -c 34 "$work/out.mrx" | grep -q '^; This file was created by Mirlow' || fail "out.mrx is no script"

# A name without a dot, with the first filter left selected, is a binary
# recording with ".mrl" added, also in a folder whose name holds a dot.
binary="$work/jane.doe/out.mrl"
rm -rf "$work/jane.doe" && mkdir -p "$work/jane.doe"
choose 1052 "Save As" "$work/jane.doe/out"
expect_title "Mirlow - $(winpath "$binary")"
[ "$(stat -c %s "$binary")" = 60 ] || fail "out.mrl is not three 20-byte records"

choose 1040 Open "$binary"
expect_title "Mirlow - $(winpath "$binary")"
choose 1052 "Save As" "$work/back.mrx"
expect_title "Mirlow - $(winpath "$work/back.mrx")"
cmp -s "$work/out.mrx" "$work/back.mrx" || fail "the binary recording did not load back the same"

expected=$(printf '%s\n' "1061 enabled $(winpath "$work/back.mrx")" \
    "1062 enabled $(winpath "$binary")" "1063 enabled $(winpath "$work/out.mrx")" \
    "1064 enabled $(winpath "$work/input.mrx")")
[ "$(recent_entries)" = "$expected" ] || fail "recent entries are: $(recent_entries)"

probe post-command Mirlow 1056 || fail "cannot post Total Number of Actions"
text=$(probe wait-box "Total Commands" 15000) || fail "no Total Commands box"
[ "$text" = "Total number of actions in $(winpath "$work/back.mrx"): 3" ] || fail "total: '$text'"
probe press "Total Commands" 1 || fail "cannot press OK"

rm "$work/input.mrx"
probe post-command Mirlow 1064 || fail "cannot choose the fourth entry"
caption=$(winpath "$work/input.mrx")
text=$(probe wait-box "$caption" 15000) || fail "no question about the deleted file"
[ "$(head -n1 <<<"$text")" = "Unable to open recent file $caption!" ] || fail "question: '$text'"
probe press "$caption" 6 || fail "cannot press Yes"
expect_title "Mirlow"
poll 5 test "$(recent_entries | wc -l)" = 3 || fail "entry not removed: $(recent_entries)"

# Minimised, the window is parked elsewhere (Wine puts it at the bottom
# of the screen, Windows far off at -32000); its place is where it was.
read -r left top _ < <(probe rect Mirlow)
probe minimize Mirlow || fail "cannot minimise"
parked() { [ "$(probe rect Mirlow | cut -d' ' -f1-2)" != "$left $top" ]; }
poll 5 parked || fail "the window did not move when minimised"
probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
values=$(reg_values 'HKLM\SOFTWARE\Mirlow') || fail "no settings written"
expect_value "$values" File1 "REG_SZ $(winpath "$work/back.mrx")"
expect_value "$values" File4 "REG_SZ "
expect_value "$values" Left "REG_DWORD $(printf '0x%x' $((left & 0xFFFFFFFF)))"
expect_value "$values" Top "REG_DWORD $(printf '0x%x' $((top & 0xFFFFFFFF)))"
forget_settings
echo "documents through the real dialogs, recent entries, totals: ok"
