#!/usr/bin/env bash
# Typed text arrives exactly as scripted whatever the keyboard layout (the
# German, French and US X keymaps; Wine takes the layout from the keymap
# when a process starts) and with Caps Lock on: punctuation, digits,
# capitals, AltGr and dead-key characters. Shift+arrow selection typed by
# tokens works with Num Lock on. The keys that open Save As follow the text
# at once, and the path follows them at once: no WAIT anywhere.
source "$(dirname "$0")/lib.sh"

line='C:\users\Public\x.txt me@host.com (y/z) [1];"q" {ok} ~|^`´ 1+2=3 Hello World 123, ok! €äöüßé'
restore() {
    setxkbmap us >/dev/null 2>&1
}
trap restore EXIT

keymap_is() {
    # grep reads to the end: with -q it would stop early, and xkbcomp, cut off
    # by SIGPIPE, would fail the pipeline under pipefail.
    xkbcomp -w0 "$DISPLAY" - 2>/dev/null | grep "xkb_symbols.*+$1" >/dev/null
}

# type_into_notepad LAYOUT [locks]: a fresh notepad under the keymap, the
# script typed and saved by a command-line run, the file compared.
type_into_notepad() {
    local layout=$1 locks=${2:-} saved="$WINEPREFIX/drive_c/users/Public/layout-$1.txt"
    rm -f "$saved"
    setxkbmap "$layout" && keymap_is "$layout" || fail "the $layout keymap is not set"
    timeout 60 wine notepad >/dev/null 2>&1 &
    probe wait-window "-:Untitled - Notepad" 20000 || fail "notepad does not start"
    if [ -n "$locks" ]; then
        read -r left top right bottom <<<"$(probe rect "-:Untitled - Notepad")"
        xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
        xdotool key Caps_Lock Num_Lock
    fi
    local script="$E2E_WORK/layout-$layout.mrx"
    {
        echo "GOTO Untitled - Notepad"
        echo "TYPE $line{enter}"
        echo "TYPE abcdef"
        echo "TYPE {shiftdown}"
        for _ in 1 2 3; do echo "TYPE {leftarrow}"; done
        echo "TYPE {shiftup}"
        echo "TYPE X"
        echo "TYPE {ctrldown}"
        echo "TYPE s"
        echo "TYPE {ctrlup}"
        echo "TYPE C:\\users\\Public\\layout-$layout.txt{enter}"
    } | sed 's/$/\r/' | iconv -f UTF-8 -t CP1252 >"$script"
    start_mirlow "$(winpath "$script")"
    wait_exit 60
    [ "$EXIT_CODE" = "0" ] || fail "$layout: exit code $EXIT_CODE"
    wait_for_file "$saved" 10 || fail "$layout: notepad saved no file"
    [ -n "$locks" ] && xdotool key Caps_Lock Num_Lock
    probe close "-:layout-$layout.txt - Notepad" >/dev/null
    printf '%s\r\nabcX' "$line" | iconv -f UTF-8 -t CP1252 >"$E2E_WORK/expected-$layout.txt"
    cmp "$E2E_WORK/expected-$layout.txt" "$saved" || {
        iconv -f CP1252 -t UTF-8 "$saved" >&2
        fail "$layout${locks:+ with Caps Lock and Num Lock}: the saved text differs"
    }
    probe wait-gone "-:layout-$layout.txt - Notepad" 5000
}

type_into_notepad de
type_into_notepad fr
type_into_notepad us locks
echo "typed text on the German, French and US layouts, with Caps Lock and Num Lock: ok"
