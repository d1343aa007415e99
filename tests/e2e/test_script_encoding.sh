#!/usr/bin/env bash
# Scripts as today's editors save them: a UTF-8 script whose first line, a
# GOTO, follows a byte-order mark types its accented letters and the euro
# sign into Wine's notepad as written (the saved file is in the ANSI code
# page, 1252 here); a UTF-8 script holding a character that code page lacks
# is refused with its line and character, and the run ends with exit code 2.
source "$(dirname "$0")/lib.sh"

saved="$WINEPREFIX/drive_c/users/Public/utf8.txt"
rm -f "$saved"
timeout 60 wine notepad >/dev/null 2>&1 &
probe wait-window "-:Untitled - Notepad" 20000 || fail "notepad does not start"

line='café €äöüß naïve, Ça'
script="$E2E_WORK/utf8.mrx"
{
    printf '\xEF\xBB\xBF'
    printf '%s\r\n' "GOTO Untitled - Notepad" "TYPE $line" "TYPE {ctrldown}" "TYPE s" \
        "TYPE {ctrlup}" 'TYPE C:\users\Public\utf8.txt{enter}'
} >"$script"
start_mirlow "$(winpath "$script")"
wait_exit 60
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
wait_for_file "$saved" 10 || fail "notepad saved no file"
probe close "-:utf8.txt - Notepad" >/dev/null
printf '%s' "$line" | iconv -f UTF-8 -t CP1252 >"$E2E_WORK/expected.txt"
cmp "$E2E_WORK/expected.txt" "$saved" || {
    iconv -f CP1252 -t UTF-8 "$saved" >&2
    fail "the saved text differs"
}
echo "a UTF-8 script after a byte-order mark typed as written: ok"

refused="$E2E_WORK/lodz.mrx"
printf 'TYPE a\r\n; \xC5\x81\xC3\xB3d\xC5\xBA in a comment is fine\r\nTYPE \xC5\x81\xC3\xB3d\xC5\xBA\r\n' \
    >"$refused"
start_mirlow "$(winpath "$refused")"
text=$(probe wait-box Error 15000) || fail "no message for a character the code page lacks"
expected="Unable to load the script '$(winpath "$refused")'!

Line 3 holds the character U+0141, which the system's code page for non-Unicode programs does not have."
[ "$text" = "$expected" ] || fail "message was '$text'"
probe press Error 1 || fail "cannot press OK"
wait_exit 20
[ "$EXIT_CODE" = "2" ] || fail "exit code $EXIT_CODE after the refused script"
echo "a character the code page lacks refuses the script: ok"
