# For the Wine tests that need a Wine of their own, untouched by the other
# tests: a new prefix in $E2E_WORK/prefix with its own wineserver, set up
# as scripts/wine_session.sh sets up the shared one. Source it after
# lib.sh; the prefix is removed again when the test ends.

export WINEPREFIX="$E2E_WORK/prefix"
rm -rf "$WINEPREFIX"
leave_fresh_prefix() {
    stop_leftover_mirlow
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap leave_fresh_prefix EXIT
timeout 120 wineboot -i >/dev/null 2>&1 || fail "wineboot failed in a fresh prefix"
wineserver -p >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# A web page or mail message the program opens goes nowhere: Wine's browser
# and mail programs are the Unix command "true".
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d true /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /t REG_SZ /d true /f >/dev/null 2>&1
