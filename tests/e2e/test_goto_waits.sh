#!/usr/bin/env bash
# GOTO finds only windows the user can see, and waits for one that comes
# late: a GOTO to another program's hidden window fails with exit code 3
# and leaves it hidden; a GOTO to a window that appears 3 s after the run
# started finds it with WindowWait 10, says how long it waited, and the
# click after it lands in it.
source "$(dirname "$0")/lib.sh"

log="$E2E_WORK/goto.log"
clicks="$E2E_WORK/clicks.txt"
rm -f "$log" "$clicks"
use_log_file "$log" 2
helpers=""
trap 'kill $helpers 2>/dev/null; wine reg delete "HKLM\SOFTWARE\Mirlow" /v WindowWait /f >/dev/null 2>&1; stop_leftover_mirlow' EXIT

# A hidden window of another program is never found, nor shown.
hidden="Mirlow Hidden Goal"
timeout 60 wine "$MIRLOW_PROBE" test-window "$hidden" "$(winpath "$clicks")" 30000 hidden \
    >/dev/null 2>&1 &
helpers="$helpers $!"
probe wait-window "-:$hidden" 15000 || fail "the hidden window is not made"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v WindowWait /t REG_DWORD /d 2 /f >/dev/null 2>&1
script="$E2E_WORK/hidden.mrx"
printf '%s\r\n' "GOTO $hidden" "TYPE x" >"$script"
start_mirlow "$(winpath "$script")"
text=$(probe wait-box "$hidden" 20000) || fail "no message box captioned '$hidden'"
[ "${text%%$'\n'*}" = "Unable to find and GOTO window with the title '$hidden'!" ] \
    || fail "box says '$text'"
probe press "$hidden" 1 || fail "cannot press OK"
wait_exit 20
[ "$EXIT_CODE" = "3" ] || fail "exit code $EXIT_CODE, expected 3 (stopped by an error)"
[ "$(probe visible "-:$hidden")" = "0" ] || fail "the hidden window was shown"
expect_lines_in_order "$log" "    Waiting up to 2000 ms for the window '$hidden'..." \
    "    The window '$hidden' did not come within" "    ERROR: Unable to find window '$hidden'!"

# A window that comes 3 s late is waited for; WINDOWCLICK then clicks its
# Apply button, 60 and 45 pixels from its corner.
late="Mirlow Late Goal"
wine reg add 'HKLM\SOFTWARE\Mirlow' /v WindowWait /t REG_DWORD /d 10 /f >/dev/null 2>&1
script="$E2E_WORK/late.mrx"
printf '%s\r\n' "GOTO $late" "WINDOWCLICK 60,45" >"$script"
: >"$log"
start_mirlow "$(winpath "$script")"
sleep 3
timeout 60 wine "$MIRLOW_PROBE" test-window "$late" "$(winpath "$clicks")" 30000 >/dev/null 2>&1 &
helpers="$helpers $!"
wait_exit 30
[ "$EXIT_CODE" = "0" ] || fail "exit code $EXIT_CODE, expected 0"
expect_lines_in_order "$log" "    Waiting up to 10000 ms for the window '$late'..." \
    "    The window '$late' came after" "    Found window '$late'" "Playback Complete!"
waited=$(grep -o "The window '$late' came after [0-9]*" "$log" | grep -o '[0-9]*$')
[ "$waited" -ge 2500 ] && [ "$waited" -lt 10000 ] || fail "waited $waited ms for a window 3 s late"
poll 5 grep -qx "clicked Apply" "$clicks" || fail "the click did not reach the late window"
use_log_file "" 0
echo "GOTO leaves a hidden window alone and waits $waited ms for a late one: ok"
