#!/usr/bin/env bash
# mirlow.exe started without an argument: its window, its menu, its
# accelerators, and a clean exit when the window is closed.
source "$(dirname "$0")/lib.sh"

start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
[ "$(probe title Mirlow)" = "Mirlow" ] || fail "title is '$(probe title Mirlow)'"
[ "$(probe visible Mirlow)" = "1" ] || fail "window not visible"

wait_for_line "$PROBE_FILE" "end menu" 5 || fail "no menu written to the probe"
sed -n '/^menu$/,/^end menu$/p' "$PROBE_FILE" | diff -u "$(dirname "$0")/expected_menu.txt" - \
    || fail "menu differs"

# Each accelerator reaches the window as its command, except those whose
# menu item is grayed: with no document, New, Reload, Save and Edit Script.
window=$(xdotool search --name '^Mirlow$' | head -n1)
[ -n "$window" ] || fail "xdotool finds no window named Mirlow"
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
xdotool key --window "$window" ctrl+n ctrl+r ctrl+s ctrl+e
declare -A expected=([ctrl+o]=1040 [ctrl+l]=1118 [F1]=1082)
for keys in "${!expected[@]}"; do
    xdotool key --window "$window" "$keys"
    wait_for_line "$PROBE_FILE" "command ${expected[$keys]}" 5 \
        || fail "$keys did not arrive as command ${expected[$keys]}"
done
# Ctrl+T opens the modal Options dialog, which takes the keys until closed.
xdotool key --window "$window" ctrl+t
wait_for_line "$PROBE_FILE" "command 1110" 5 || fail "ctrl+t did not arrive as command 1110"
probe wait-window -:Options 5000 || fail "ctrl+t opened no Options dialog"
probe press Options 2 || fail "cannot cancel the Options dialog"
probe wait-gone -:Options 5000 || fail "the Options dialog stays open"
for grayed in 1057 1104 1058 1106; do
    if grep -qx "command $grayed" "$PROBE_FILE"; then
        fail "command $grayed arrived although its menu item is grayed"
    fi
done

probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE after closing"
echo "interactive start, menu, accelerators and close: ok"
