#!/usr/bin/env bash
# After an interactive start and close, the registry holds both file
# types' associations, with the documented types, and the exit batch
# under SOFTWARE\Mirlow.
source "$(dirname "$0")/lib.sh"

wine reg delete 'HKLM\SOFTWARE\Mirlow' /f >/dev/null 2>&1
start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"

exe=$(winpath "$MIRLOW_EXE")
exts='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts'
for ext in mrl mrx; do
    values=$(reg_values "$exts\\.$ext") || fail "no key for .$ext"
    expect_value "$values" Application "REG_SZ mirlow.exe"
    values=$(reg_values "$exts\\.$ext\\OpenWithList") || fail "no OpenWithList for .$ext"
    expect_value "$values" a "REG_SZ mirlow.exe"
    expect_value "$values" MRUList "REG_SZ a"
done
app='HKCR\Applications\mirlow.exe'
expect_value "$(reg_values "$app\\DefaultIcon")" "" "REG_SZ $exe,1"
values=$(reg_values "$app\\shell")
expect_value "$values" FriendlyCache "REG_SZ Mirlow"
expect_value "$values" FriendlyCacheCTime "REG_BINARY 808E699DC001"
expect_value "$(reg_values "$app\\shell\\open\\command")" "" "REG_EXPAND_SZ $exe \"%1\""

# The exit batch: every value, numbers as REG_DWORD, texts as REG_SZ.
values=$(reg_values 'HKLM\SOFTWARE\Mirlow') || fail "no exit batch"
numbers=(Left Top StopKey TypeKey TypeThis ExcludeMirlowAction PlayImmediately QuitWhenDone
         Reload Topmost Speed PromptForSave Visited ShowTabs Repeats RepeatForever Minimize
         FactorFast FactorSlow LastTab RandomMin RandomMax LoopTypeBase Log InterruptWarning
         WindowWait BoxWait RecordHotkey PlayHotkey)
for name in "${numbers[@]}"; do
    got=$(value_in "$values" "$name") || fail "the exit batch lacks $name"
    [[ $got == "REG_DWORD 0x"* ]] || fail "$name is '$got'"
done
expect_value "$values" Speed "REG_DWORD 0x2"
expect_value "$values" Logfile 'REG_SZ C:\Mirlow.log'
expect_value "$values" Editor "REG_SZ notepad.exe"
expect_value "$values" WindowWait "REG_DWORD 0xa"
expect_value "$values" BoxWait "REG_DWORD 0x0"
expect_value "$values" RecordHotkey "REG_DWORD 0x752"
expect_value "$values" PlayHotkey "REG_DWORD 0x750"
[ "$(wc -l <<<"$values")" = 31 ] || fail "the exit batch is not 31 values: $values"
echo "association and exit batch in the registry: ok"
