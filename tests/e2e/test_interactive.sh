#!/usr/bin/env bash
# mirlow.exe started without an argument: its window, its menu, its
# accelerators, and a clean exit when the window is closed.
source "$(dirname "$0")/lib.sh"

# An editor that cannot be started: Edit Log File then shows its error box
# instead of a window that would take the keyboard.
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Editor /t REG_SZ /d no-such-editor.exe /f >/dev/null 2>&1
start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
[ "$(probe title Mirlow)" = "Mirlow" ] || fail "title is '$(probe title Mirlow)'"
[ "$(probe visible Mirlow)" = "1" ] || fail "window not visible"

wait_for_line "$PROBE_FILE" "end menu" 5 || fail "no menu written to the probe"
sed -n '/^menu$/,/^end menu$/p' "$PROBE_FILE" | diff -u "$(dirname "$0")/expected_menu.txt" - \
    || fail "menu differs"

# Each accelerator reaches the window as its command, except those whose
# menu item is grayed: with no document, New, Reload, Save and Edit Script.
# Open's dialog and the modal Options dialog are cancelled (their owner then
# has the keyboard again); Edit Log File comes last, as its box keeps the
# keyboard.
window=$(xdotool search --name '^Mirlow$' | head -n1)
[ -n "$window" ] || fail "xdotool finds no window named Mirlow"
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
xdotool key --window "$window" ctrl+n ctrl+r ctrl+s ctrl+e
for pair in F1:1082 ctrl+o:1040 ctrl+t:1110 ctrl+l:1118; do
    keys=${pair%%:*} command=${pair#*:}
    xdotool key --window "$window" "$keys"
    wait_for_line "$PROBE_FILE" "command $command" 5 || fail "$keys did not arrive as command $command"
    case $keys in
    ctrl+o)
        probe wait-window -:Open 10000 || fail "no Open dialog"
        probe press Open 2 || fail "cannot cancel the Open dialog"
        probe wait-gone -:Open 10000 || fail "the Open dialog stays"
        ;;
    ctrl+t)
        probe wait-window -:Options 5000 || fail "ctrl+t opened no Options dialog"
        probe press Options 2 || fail "cannot cancel the Options dialog"
        probe wait-gone -:Options 5000 || fail "the Options dialog stays open"
        ;;
    ctrl+l)
        text=$(probe wait-box "Edit Error" 10000) || fail "no Edit Error box"
        [ "$text" = 'Unable to edit C:\Mirlow.log with "no-such-editor.exe"' ] || fail "box: $text"
        probe press "Edit Error" 1 || fail "cannot close the Edit Error box"
        ;;
    esac
done
for grayed in 1057 1104 1058 1106; do
    if grep -qx "command $grayed" "$PROBE_FILE"; then
        fail "command $grayed arrived although its menu item is grayed"
    fi
done

probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE after closing"
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v Editor /f >/dev/null 2>&1
echo "interactive start, menu, accelerators and close: ok"
