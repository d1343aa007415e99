#!/usr/bin/env bash
# The Advanced Options dialog closed with OK changes no number the user
# left alone, whatever a hand-edited registry holds there (negative, or
# beyond the signed range), and reads one the user edited as it shows it,
# signed.
source "$(dirname "$0")/lib.sh"

key='HKLM\SOFTWARE\Mirlow'
wine reg delete "$key" /f >/dev/null 2>&1
set_number() { wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
set_number RandomMin 0xfffffffb   # -5
set_number RandomMax 0xb2d05e00   # 3,000,000,000: shown as -1294967296
set_number LoopTypeBase 0x80000000
set_number WindowWait 0xffffffff  # -1

# ok_in_options [ID TEXT]: opens the dialog, types TEXT into the field ID
# if given, and closes it with OK.
ok_in_options() {
    probe post-command Mirlow 1110
    probe wait-window "-:Options" 10000 || fail "no Options dialog"
    if [ $# -eq 2 ]; then
        probe type "-:Options" "$1" "$2" || fail "cannot type into field $1"
    fi
    probe press Options 1 || fail "no OK button"
    probe wait-gone "-:Options" 10000 || fail "the Options dialog stays open"
}

start_mirlow
probe wait-window Mirlow 15000 || fail "no window of class Mirlow"
probe post-command Mirlow 1110
probe wait-window "-:Options" 10000 || fail "no Options dialog"
texts=$(probe dialog-texts "-:Options" | tr -d '\r')
for shown in "1025 -5" "1027 -1294967296" "1029 -2147483648"; do
    grep -qxF -- "$shown" <<<"$texts" || fail "the dialog does not show '$shown': $texts"
done
probe press Options 1 || fail "no OK button"
probe wait-gone "-:Options" 10000 || fail "the Options dialog stays open"
ok_in_options 1027 "-3" # RandomMax, edited: above the minimum as shown
probe close Mirlow || fail "cannot close"
wait_exit 15
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"

values=$(reg_values "$key") || fail "no exit batch"
expect_value "$values" RandomMin "REG_DWORD 0xfffffffb"
expect_value "$values" RandomMax "REG_DWORD 0xfffffffd"
expect_value "$values" LoopTypeBase "REG_DWORD 0x80000000"
expect_value "$values" WindowWait "REG_DWORD 0xffffffff"
echo "Advanced Options closed with OK keeps the numbers nobody edited: ok"
