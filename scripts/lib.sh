# What the scripts and the Wine tests share. Source it; it sets no shell
# options of its own.
#
# The build's Windows programs: the Wine tests get their paths from ctest,
# the scripts take these, in the build that scripts/build.sh makes. Tests
# and benchmarks run the program with the test probe; the released one is
# build/win/mirlow.exe.
mirlow_source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${MIRLOW_EXE:=$mirlow_source_dir/build/win/for-tests/mirlow.exe}"
: "${MIRLOW_PROBE:=$mirlow_source_dir/build/win/mirlow_probe.exe}"
: "${MIRLOW_KEY_TIMER:=$mirlow_source_dir/build/win/key_timer.exe}"

# winpath PATH: the Windows path of a Unix path (Wine maps / to Z:).
winpath() {
    echo "Z:$(realpath -m "$1" | tr / '\\')"
}

# probe VERB ARGS...: runs the test helper program (tests/e2e/mirlow_probe.cpp)
# for at most 20 s; prints what it says without carriage returns and
# returns 0 for yes or the probe's own code for no (100 and up). Any other
# code means Wine ended the probe before it could answer (once, right after
# a server restart, a wait for a window failed within 0.3 s): the call is
# made again, at most twice, and what Wine said goes to stderr.
probe() {
    local try code err
    err=$(mktemp)
    for try in 1 2 3; do
        timeout 20 wine "$MIRLOW_PROBE" "$@" 2>"$err" | tr -d '\r'
        code=${PIPESTATUS[0]}
        if [ "$code" -eq 0 ] || [ "$code" -ge 100 ] || [ "$code" -eq 124 ]; then
            break
        fi
        echo "probe $1: Wine ended it with code $code (try $try): $(head -c 400 "$err")" >&2
        sleep 0.5
    done
    rm -f "$err"
    return "$code"
}

# set_up_wine_prefix: boots a new $WINEPREFIX, keeps its server running
# (a program then starts in milliseconds, not seconds) and readies it for
# tests that nobody watches. Fails when the prefix cannot be booted.
set_up_wine_prefix() {
    timeout 120 wineboot -i >/dev/null 2>&1 || return 1
    wineserver -p >/dev/null 2>&1 || true
    # A crash exits at once instead of waiting in the debugger; without a
    # window manager, unmanaged windows close without a 2 s delay.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A web page or mail message the program opens goes nowhere: Wine's
    # browser and mail programs are the Unix command "true".
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d true /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /t REG_SZ /d true /f >/dev/null 2>&1
    return 0
}

# gap_statistics ARRIVALS GAP_MS ERRORS: how far each gap between
# neighbouring arrivals (a key timer's file: microseconds, one a line) is
# from GAP_MS. Writes those errors, sorted, to ERRORS (microseconds) and
# sets GAP_COUNT, and GAP_MEDIAN and GAP_P95 in milliseconds.
gap_statistics() {
    awk -v gap=$(($2 * 1000)) 'NR > 1 { d = $1 - prev - gap; if (d < 0) d = -d; print d } { prev = $1 }' \
        "$1" | sort -n >"$3"
    GAP_COUNT=$(wc -l <"$3")
    GAP_MEDIAN=$(awk -v n="$GAP_COUNT" 'NR == int((n + 1) / 2) { print $1 / 1000 }' "$3")
    GAP_P95=$(awk -v n="$GAP_COUNT" 'NR == int(n * 0.95 + 0.5) { print $1 / 1000 }' "$3")
}
