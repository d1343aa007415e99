#!/usr/bin/env bash
# The Help menu, the About box, the Legal Agreement and the toolbar of the
# real program. The program is copied into two folders: one without the
# user guide (F1 and Script Reference say so) and one, with a dot and a
# blank in its name, with the guide beside it (Contents and Script
# Reference open it, no box). A stand-in browser and mail program (the
# probe) writes down what the shell hands it. Screenshots of the main
# window with a tooltip, the About box before and after its web link was
# clicked, and the Legal Agreement are left in $E2E_WORK to look at.
source "$(dirname "$0")/lib.sh"

opened="$E2E_WORK/opened.txt"
rm -f "$opened" "$E2E_WORK"/*.png
handler="\"$(winpath "$MIRLOW_PROBE")\" record-args \"$(winpath "$opened")\" \"%1\""
# The stand-in goes again when the test ends, so later tests open pages
# with the session's own browser, which goes nowhere.
classes=(htmlfile http https mailto)
for class in "${classes[@]}"; do
    wine reg export "HKCR\\$class" "$E2E_WORK/$class.reg" /y >/dev/null 2>&1 || rm -f "$E2E_WORK/$class.reg"
done
restore_handlers() {
    local class
    for class in "${classes[@]}"; do
        wine reg delete "HKCR\\$class\\shell\\open\\command" /f >/dev/null 2>&1
        [ -f "$E2E_WORK/$class.reg" ] && wine reg import "$E2E_WORK/$class.reg" >/dev/null 2>&1
    done
    forget_settings
    stop_leftover_mirlow
}
trap restore_handlers EXIT
for class in "${classes[@]}"; do
    wine reg add "HKCR\\$class\\shell\\open\\command" /ve /d "$handler" /f >/dev/null 2>&1 \
        || fail "cannot register the stand-in for $class"
done
wine reg add 'HKCR\.htm' /ve /d htmlfile /f >/dev/null 2>&1
wine reg delete 'HKLM\SOFTWARE\Mirlow' /v Visited /f >/dev/null 2>&1

without="$E2E_WORK/no guide"
with="$E2E_WORK/Mirlow 2.30"
mkdir -p "$without" "$with"
cp "$MIRLOW_EXE" "$without/"
cp "$MIRLOW_EXE" "$(dirname "$MIRLOW_EXE")/mirlowHelp.htm" "$with/"

# The guide's path as the program builds it: forward slashes.
guide_of() { winpath "$1/mirlowHelp.htm" | tr '\\' /; }

run_from() { # FOLDER: starts that folder's copy of the program
    MIRLOW_EXE="$1/mirlow.exe" start_mirlow
    probe wait-window Mirlow 15000 || fail "no main window"
}

finish() {
    probe close Mirlow || fail "cannot close"
    wait_exit 15
    [ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
}

expect_box() { # CAPTION TEXT
    local text
    text=$(probe wait-box "$1" 10000) || fail "no box captioned '$1'"
    [ "$text" = "$2" ] || fail "box '$1' says '$text'"
    probe press "$1" 1 || fail "cannot answer the box '$1'"
    probe wait-gone "-:$1" 5000 || fail "box '$1' stays"
}

# ---- Without the guide: F1 (a real key press) and Script Reference say so.
run_from "$without"
window=$(xdotool search --name '^Mirlow$' | head -n1)
# The window may not be on the display yet when it exists; focusing it
# fails until it is.
poll 10 xdotool windowfocus --sync "$window" || fail "cannot focus the main window"
xdotool key --window "$window" F1
expect_box "$(guide_of "$without")" "Unable to open the help file!"
probe post-command Mirlow 1087
expect_box "$(guide_of "$without")#refgoto" "Unable to open the help file!"
finish
[ ! -s "$opened" ] || fail "something was opened although the guide is missing"

# ---- With the guide.
run_from "$with"

# No document: of the buttons, only Open, Start Recording and Help are on.
declare -A enabled=([1057]=0 [1040]=1 [1052]=0 [1044]=1 [1049]=0 [1047]=0 [1082]=1 [1019]=1)
for command in "${!enabled[@]}"; do
    [ "$(probe button-enabled Mirlow "$command")" = "${enabled[$command]}" ] \
        || fail "toolbar button $command is not ${enabled[$command]}"
done

# The third button's tooltip names Save, although the button saves as.
read -r _ _ cx cy _ < <(grep '^toolbar-button 1052 ' "$PROBE_FILE" | tail -n1) \
    || fail "no button 1052"
read -r ox oy < <(probe client-origin Mirlow)
xdotool mousemove 300 300
for step in 0 1 2 3; do
    xdotool mousemove $((ox + cx - 2 + step)) $((oy + cy))
    sleep 0.1
done
wait_for_line "$PROBE_FILE" "tooltip 1052 Save (Ctrl+S)" 10 || fail "no tooltip for the third button"
sleep 0.5
import -window root "$E2E_WORK/main-window.png"
xdotool mousemove 600 500

# was_opened TEXT: the stand-in was handed TEXT (slashes either way round).
was_opened() { tr '\\' / <"$opened" | grep -qxF -- "$1"; }
probe post-command Mirlow 1082
poll 10 was_opened "$(guide_of "$with")" || fail "Contents did not open the guide"
probe post-command Mirlow 1087
poll 10 was_opened "file:///$(guide_of "$with" | sed 's/ /%20/g')#refgoto" \
    || fail "Script Reference did not open the guide at #refgoto: $(cat "$opened")"
if probe wait-box "$(guide_of "$with")" 500 >/dev/null \
    || probe wait-box "$(guide_of "$with")#refgoto" 500 >/dev/null; then
    fail "a failure box although the guide is there"
fi

# ---- The About box: its texts, then a click on the web link.
probe post-command Mirlow 1019
probe wait-window "-:About Mirlow" 10000 || fail "no About box"
texts=$(probe dialog-texts "-:About Mirlow")
for line in "1114 Mirlow Version $MIRLOW_VERSION" "1070 https://mirlow.app/" "1072 info@mirlow.app" \
    "-1 Email:" "1 OK"; do
    grep -qxF -- "$line" <<<"$texts" || fail "About box lacks '$line': $texts"
done
grep -qE '^1012 Build Date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}  Time: [0-9]{2}:[0-9]{2}:[0-9]{2}$' \
    <<<"$texts" || fail "About box has no build line: $texts"
sleep 0.5
import -window root "$E2E_WORK/about.png"
read -r left top right bottom < <(probe item-rect "-:About Mirlow" 1070) || fail "no web link"
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
poll 10 was_opened "https://mirlow.app/" || fail "the web link opened nothing"
xdotool mousemove 600 500
sleep 0.5
import -window root "$E2E_WORK/about-visited.png"
probe press "About Mirlow" 1 || fail "cannot press OK"
probe wait-gone "-:About Mirlow" 5000 || fail "the About box stays"

# ---- The Legal Agreement: both halves of the licence, in order.
probe post-command Mirlow 1076
probe wait-window "-:Mirlow Legal Agreement" 10000 || fail "no Legal Agreement"
legal=$(probe dialog-texts "-:Mirlow Legal Agreement")
grep -q '^1071 MIRLOW END-USER LICENCE AGREEMENT\\n.*5. RESPONSIBLE USE.*6. NO WARRANTY. Mirlow is provided "as is".*All rights reserved.$' \
    <<<"$legal" || fail "the agreement's text is not whole: ${legal:0:300}"
sleep 0.5
import -window root "$E2E_WORK/legal.png"
probe press "Mirlow Legal Agreement" 1 || fail "cannot press OK"
probe wait-gone "-:Mirlow Legal Agreement" 5000 || fail "the Legal Agreement stays"

finish
# The opened link counted as a visit, and the count was kept.
[ "$(reg_values 'HKLM\SOFTWARE\Mirlow' | grep '^Visited|')" = "Visited|REG_DWORD|0x1" ] \
    || fail "Visited is not 1: $(reg_values 'HKLM\SOFTWARE\Mirlow' | grep Visited)"
echo "help, About box, Legal Agreement and toolbar: ok (screenshots in $E2E_WORK)"
