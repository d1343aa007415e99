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
set_up_wine_prefix || fail "wineboot failed in a fresh prefix"
