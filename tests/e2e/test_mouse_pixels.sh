#!/usr/bin/env bash
# Clicks land on the very pixels recorded, at the corners and edges of the
# screen too, and a recorded wheel turn is played. (Wine does not swap the
# buttons of injected input, so the swapped-buttons rule is tested natively.)
# A run of moves that go at once ends with the pointer where the last one
# went, before the run ends.
source "$(dirname "$0")/lib.sh"

clicks="$E2E_WORK/clicks.txt"
script="$E2E_WORK/clicks.mrx"
rm -f "$clicks"

# A wheel record carries its distance in the high word of paramH.
wheel() { echo "message=522 paramH=$(((($1 & 0xFFFF) << 16) | $3)) paramL=$2 time=$4"; }
points=("0 0" "1 1" "1279 0" "0 799" "1279 799" "640 0" "0 400" "1279 400" "640 799" "1278 798")
{
    for point in "${points[@]}"; do echo "MOUSECLICK ${point/ /,}"; done
    wheel 120 300 200 100
    wheel -240 310 210 110
    for i in $(seq 0 40); do echo "message=WM_MOUSEMOVE paramH=$((300 + i * 5)) paramL=$((500 + i * 5)) time=200"; done
} | sed 's/$/\r/' >"$script"

timeout 60 wine "$MIRLOW_PROBE" catch-clicks "$(winpath "$clicks")" 40000 moves >/dev/null 2>&1 &
catcher=$!
probe wait-window "-:Mirlow Click Catcher" 15000 || fail "no click catcher"

start_mirlow "$(winpath "$script")"
wait_exit 30
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE"
expected=$(for point in "${points[@]}"; do echo "L $point"; done; echo "W 120 300 200"; echo "W -240 310 210")
# The last move was taken before the run ended.
last_move=$(grep '^P' "$clicks" | tail -n1)
caught_lines() { [ "$(grep -c '^[^P]' "$clicks")" -ge "$1" ]; }
poll 5 caught_lines 12
probe close "-:Mirlow Click Catcher" >/dev/null
wait "$catcher"
diff -u <(echo "$expected") <(grep -v '^P' "$clicks") || fail "clicks landed elsewhere"
[ "$last_move" = "P 700 500" ] || fail "the last move taken was '$last_move', not to 700 500"
echo "clicks at the edges and the wheel: ok"
