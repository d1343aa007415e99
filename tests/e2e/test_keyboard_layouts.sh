#!/usr/bin/env bash
# Typed text arrives exactly as scripted whatever the keyboard layout (the
# German, French and US X keymaps; Wine takes the layout from the keymap
# when a process starts) and with Caps Lock on: punctuation, digits,
# capitals, AltGr and dead-key characters. Shift+arrow selection typed by
# tokens works with Num Lock on. The keys that open Save As follow the text
# at once, and the path follows them at once: no WAIT anywhere.
# A reader of raw keyboard input (as games and remote consoles read keys)
# sees the layout's own keys, with Shift where the layout and Caps Lock
# need it, and still gets every character. Wine does not tell a program
# without the keyboard focus whether Caps Lock is on, so there letters go
# as Unicode input (the notepad runs show the text is still right); the
# raw-input runs say through the probe whether it is on, and letters go as
# keys: with Caps Lock on, a small letter takes Shift and a capital none.
# (Under Wine each program keeps its own Caps Lock state, learnt from the
# key events it was given, so Caps Lock is pressed in the reader itself.)
# Characters Wine's layouts have only behind AltGr go as Unicode input
# there too: Wine types nothing for an injected Ctrl+Alt+key.
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

# type_into_raw_reader LAYOUT KEYS [caps]: the raw-input reader under the
# keymap set now gets KEYS (the virtual keys pressed, in hex, in order; 00
# for a character sent as Unicode input) and every character as typed.
# Caps Lock is off as the probe tells the program; with caps, it is pressed
# in the reader (which then also sees its key, 14) and the probe says on.
raw_text='aZ19/=@é'
type_into_raw_reader() {
    local seen="$E2E_WORK/raw-$1.txt" script="$E2E_WORK/raw-$1.mrx" reader
    rm -f "$seen"
    timeout 60 wine "$MIRLOW_KEY_TIMER" "$(winpath "$seen")" 8 30000 raw \
        >/dev/null 2>&1 &
    reader=$!
    probe wait-window "-:Mirlow Key Timer" 20000 || fail "$1: the raw-input reader does not start"
    printf '%s\r\n' "GOTO Mirlow Key Timer" "TYPE $raw_text" | iconv -f UTF-8 -t CP1252 >"$script"
    local caps=off
    if [ -n "${3:-}" ]; then
        caps=on
        read -r left top right bottom <<<"$(probe rect "-:Mirlow Key Timer")"
        xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
        xdotool key Caps_Lock
    fi
    PROBE_CONTROLS="control caps-lock $caps" start_mirlow "$(winpath "$script")"
    wait_exit 60
    [ "$caps" = on ] && xdotool key Caps_Lock
    [ "$EXIT_CODE" = "0" ] || fail "$1: exit code $EXIT_CODE typing into the raw-input reader"
    wait "$reader" || fail "$1: the raw-input reader did not get every character"
    local characters keys
    characters=$(tr -d '\r' <"$seen" | sed -n 's/^C //p' | tr '\n' ' ')
    keys=$(tr -d '\r' <"$seen" | sed -n 's/^K //p' | tr '\n' ' ')
    [ "$characters" = "0061 005A 0031 0039 002F 003D 0040 00E9 " ] \
        || fail "$1: the reader got the characters $characters"
    [ "$keys" = "$2 " ] || fail "$1${3:+ with Caps Lock}: raw keys $keys, expected $2"
}

# type_into_notepad LAYOUT RAW_KEYS [locks]: a fresh notepad under the
# keymap, the script typed and saved by a command-line run, the file
# compared; then the raw-input reader under the same keymap.
type_into_notepad() {
    local layout=$1 raw_keys=$2 locks=${3:-} saved="$WINEPREFIX/drive_c/users/Public/layout-$1.txt"
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
    type_into_raw_reader "$layout" "$raw_keys"
    [ -n "$locks" ] && type_into_raw_reader "$layout" "14 10 41 5A 31 39 BF BB 10 32 00" caps
    probe close "-:layout-$layout.txt - Notepad" >/dev/null
    printf '%s\r\nabcX' "$line" | iconv -f UTF-8 -t CP1252 >"$E2E_WORK/expected-$layout.txt"
    cmp "$E2E_WORK/expected-$layout.txt" "$saved" || {
        iconv -f CP1252 -t UTF-8 "$saved" >&2
        fail "$layout${locks:+ with Caps Lock and Num Lock}: the saved text differs"
    }
    probe wait-gone "-:layout-$layout.txt - Notepad" 5000
}

type_into_notepad de "41 10 5A 31 39 10 37 10 30 00 00"
type_into_notepad fr "41 10 5A 10 31 10 39 10 BF BB 00 00"
type_into_notepad us "41 10 5A 31 39 BF BB 10 32 00" locks
echo "typed text on the German, French and US layouts, with Caps Lock and Num Lock: ok"
