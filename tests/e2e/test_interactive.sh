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

# Each accelerator reaches the window as its command.
window=$(xdotool search --name '^Mirlow$' | head -n1)
[ -n "$window" ] || fail "xdotool finds no window named Mirlow"
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
declare -A expected=([ctrl+n]=1057 [ctrl+o]=1040 [ctrl+r]=1104 [ctrl+s]=1058
                     [ctrl+t]=1110 [ctrl+e]=1106 [ctrl+l]=1118 [F1]=1082)
for keys in "${!expected[@]}"; do
    xdotool key --window "$window" "$keys"
    wait_for_line "$PROBE_FILE" "command ${expected[$keys]}" 5 \
        || fail "$keys did not arrive as command ${expected[$keys]}"
done

probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE after closing"
echo "interactive start, menu, accelerators and close: ok"
