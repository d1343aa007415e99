#!/usr/bin/env bash
# Files as an ordinary machine has them. A log file that cannot be created
# hands its lines to Mirlow\Mirlow.log in the user's local application
# data folder, which says why first, and Edit Log File opens that file;
# so it does where that folder's name holds a letter the code page lacks. A
# save waits for a file another program holds for a moment, and names the
# system's reason when the hold lasts. A name with letters the code page
# lacks is refused rather than opened or saved as a look-alike. (A path
# longer than 259 characters typed into Wine 8's file dialog crashes the
# dialog itself, so that refusal is tested natively.)
source "$(dirname "$0")/lib.sh"

work=$(realpath -m "$E2E_WORK")
rm -rf "$work"
mkdir -p "$work"
printf '%s\r\n' "message=WM_MOUSEMOVE paramH=288 paramL=420 time=100" >"$work/doc.mrx"
args="$WINEPREFIX/drive_c/args.txt"
rm -f "$args"
forget_settings
missing='C:\no-such-folder\mirlow.log'
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Logfile /t REG_SZ /d "$missing" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Log /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Mirlow' /v Editor /t REG_SZ \
    /d "\"$(winpath "$MIRLOW_PROBE")\" record-args C:\\args.txt" /f >/dev/null 2>&1

start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
title_is() {
    [ "$(probe title Mirlow)" = "$1" ]
}
choose() {
    probe post-command Mirlow "$1" || fail "cannot post command $1"
    probe answer-file-dialog "$2" "$3" 15000 || fail "no '$2' dialog for $3"
}
choose 1040 Open "$(winpath "$work/doc.mrx")"
poll 10 title_is "Mirlow - $(winpath "$work/doc.mrx")" || fail "doc.mrx not opened"

# The log: a playback's lines, in the user's own folder.
probe post-command Mirlow 1047 || fail "cannot start the playback"
fallback_log() {
    ls "$WINEPREFIX"/drive_c/users/*/AppData/Local/Mirlow/Mirlow.log 2>/dev/null | head -n1
}
log_complete() { grep -q "Playback Complete!" "$(fallback_log)"; }
poll 15 log_complete || fail "no log in the local app data folder"
log=$(fallback_log)
[ "$(head -n1 "$log" | tr -d '\r')" = "The log file '$missing' cannot be written: this file takes the log" ] ||
    fail "first log line: $(head -n1 "$log")"
expect_lines_in_order "$log" "Starting '$(winpath "$work/doc.mrx")' playback" "Playback Complete!"
probe post-command Mirlow 1118 || fail "cannot post Edit Log File"
wait_for_file "$args" 10 || fail "Edit Log File started no editor"
expected="C:\\users\\$(basename "$(dirname "$(dirname "$(dirname "$(dirname "$log")")")")")"
expected="$expected\\AppData\\Local\\Mirlow\\Mirlow.log"
[ "$(tail -n1 "$args" | tr -d '\r')" = "$expected" ] || fail "the editor got '$(tail -n1 "$args")'"
echo "log falls back on the user's folder, Edit Log File opens it: ok"

# save_while_held MS: saves the open document while another program holds it.
save_while_held() {
    rm -f "$work/held.txt"
    # Not through probe(): its filter would hold "held" back until the end.
    timeout 20 wine "$MIRLOW_PROBE" hold-file "$(winpath "$work/doc.mrx")" "$1" >"$work/held.txt" &
    holder=$!
    poll 10 grep -q held "$work/held.txt" || fail "cannot hold doc.mrx"
    probe post-command Mirlow 1058 || fail "cannot post Save"
}
save_while_held 1000
poll 10 grep -q '^; This file was created by Mirlow' "$work/doc.mrx" || fail "not saved after the hold"
wait "$holder"
if probe wait-box Error 500 >/dev/null; then fail "a box after a short hold"; fi
save_while_held 6000
text=$(probe wait-box Error 10000) || fail "no box while the file stays held"
[ "$(head -n1 <<<"$text")" = "Unable to save file '$(winpath "$work/doc.mrx")'!" ] || fail "box: $text"
tail -n1 <<<"$text" | grep -q '^Windows says: .*(error 32)$' || fail "no reason given: $text"
probe press Error 1 || fail "cannot press OK"
wait "$holder"
no_temporary_files() { ! ls "$work" | grep -q -v -e '^doc.mrx$' -e '^held.txt$' -e '^probe-'; }
poll 5 no_temporary_files || fail "files left behind: $(ls "$work")"
echo "a save waits for a held file, and says why when the hold lasts: ok"

# Łódź: two of its letters are not in the code page (1252 here); the
# system's look-alike, Lodz, is a file that exists.
head -c 40 /dev/zero >"$work/Lodz.mrl"
lodz="hex:$(printf '%s' "$(winpath "$work")\\Łódź.mrl" | od -An -tx1 | tr -d ' \n')"
for command in 1040:Open 1052:"Save As"; do
    choose "${command%%:*}" "${command#*:}" "$lodz"
    text=$(probe wait-box Error 15000) || fail "no refusal of Łódź.mrl in ${command#*:}"
    grep -q "d?.mrl'!" <<<"$text" || fail "refusal shows: $text"
    grep -q "cannot use with this system's language settings" <<<"$text" || fail "refusal: $text"
    probe press Error 1 || fail "cannot press OK"
    poll 5 title_is "Mirlow - $(winpath "$work/doc.mrx")" || fail "the title changed"
done
[ "$(stat -c %s "$work/Lodz.mrl")" = 40 ] || fail "Lodz.mrl was written"
[ "$(ls "$work" | grep -c -i 'd.*z\.mrl')" = 1 ] || fail "another file was written: $(ls "$work")"
echo "a name outside the code page is refused, never changed: ok"

probe close Mirlow || fail "cannot close"
wait_exit 15

# A user folder whose name the code page lacks a letter of (Łukasz on
# 1252): the log still goes to Mirlow\Mirlow.log in it.
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
read -r _ _ type was < <(wine reg query "$folders" /v 'Local AppData' 2>/dev/null | tr -d '\r' |
    grep 'Local AppData')
[ -n "$was" ] || fail "no Local AppData folder to change"
mkdir -p "$WINEPREFIX/drive_c/users/Public/Łukasz"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"Local AppData"="C:\\\\users\\\\Public\\\\Łukasz"\r\n' \
    "HKEY_CURRENT_USER${folders#HKCU}" | iconv -f UTF-8 -t UTF-16LE >"$work/folder.body"
{ printf '\xff\xfe'; cat "$work/folder.body"; } >"$work/folder.reg"
wine regedit /s "$(winpath "$work/folder.reg")" >/dev/null 2>&1
start_mirlow "$(winpath "$work/doc.mrx")"
wait_exit 20
wine reg add "$folders" /v 'Local AppData' /t "$type" /d "$was" /f >/dev/null 2>&1
[ "$EXIT_CODE" = "0" ] || fail "the run in Łukasz's profile ended with $EXIT_CODE"
expect_lines_in_order "$WINEPREFIX/drive_c/users/Public/Łukasz/Mirlow/Mirlow.log" \
    "The log file '$missing' cannot be written: this file takes the log" "Playback Complete!"
echo "a user folder outside the code page still takes the log: ok"
forget_settings
# Later tests share the prefix: Edit Log File would open this file for them.
rm -f "$log"
