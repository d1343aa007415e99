# Shared helpers for the tests that run mirlow.exe under Wine.
#
# The tests run inside scripts/wine_session.sh (a fresh prefix, a virtual
# display, a running wineserver) and get from ctest:
#   MIRLOW_EXE    the Unix path of mirlow.exe with the test probe
#   MIRLOW_RELEASE_EXE the Unix path of the released mirlow.exe (no probe)
#   MIRLOW_PROBE  the Unix path of mirlow_probe.exe
#   MIRLOW_KEY_TIMER the Unix path of key_timer.exe
#   MIRLOW_VERSION the program's version, as the build wrote it
#   E2E_WORK      a folder of their own for files
# Every wait is a bounded poll: a test fails fast, it never hangs. What the
# scripts use too (Windows paths, the probe, setting up a prefix) comes
# from scripts/lib.sh.
set -uo pipefail

: "${MIRLOW_EXE:?}" "${MIRLOW_PROBE:?}" "${MIRLOW_VERSION:?}" "${E2E_WORK:?}"
mkdir -p "$E2E_WORK"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

# A test that fails half-way must not leave its mirlow.exe running: the
# next test would find that window instead of its own.
stop_leftover_mirlow() {
    if [ -n "${MIRLOW_PID:-}" ] && kill -0 "$MIRLOW_PID" 2>/dev/null; then
        kill "$MIRLOW_PID" 2>/dev/null
        wait "$MIRLOW_PID" 2>/dev/null
    fi
    return 0
}
trap stop_leftover_mirlow EXIT

# fail MESSAGE: ends the test; the screen as it was is left in
# $E2E_WORK/failed.png.
fail() {
    echo "FAIL: $*" >&2
    import -window root "$E2E_WORK/failed.png" >/dev/null 2>&1 || true
    exit 1
}

# start_mirlow [ARGS...]: starts mirlow.exe in the background, its probe
# file at $PROBE_FILE (holding $PROBE_CONTROLS first, when set); the process
# id lands in MIRLOW_PID.
start_mirlow() {
    PROBE_FILE="$E2E_WORK/probe-$$-$RANDOM.txt"
    rm -f "$PROBE_FILE"
    # Control lines the program reads from its probe file at its start.
    [ -z "${PROBE_CONTROLS:-}" ] || printf '%s\n' "$PROBE_CONTROLS" >"$PROBE_FILE"
    MIRLOW_TEST_PROBE="$(winpath "$PROBE_FILE")" timeout 60 wine "$MIRLOW_EXE" "$@" \
        >/dev/null 2>&1 &
    MIRLOW_PID=$!
}

# wait_exit SECONDS: waits for mirlow.exe to end and sets EXIT_CODE to its
# exit code, or to "timeout". (Not for $(...): a subshell cannot wait.)
wait_exit() {
    local limit=$(($1 * 20))
    EXIT_CODE=timeout
    for _ in $(seq "$limit"); do
        if ! kill -0 "$MIRLOW_PID" 2>/dev/null; then
            wait "$MIRLOW_PID"
            EXIT_CODE=$?
            return 0
        fi
        sleep 0.05
    done
    kill "$MIRLOW_PID" 2>/dev/null
}

# poll SECONDS COMMAND...: runs the command every 50 ms until it succeeds
# (0) or the time is up (1).
poll() {
    local limit=$(($1 * 20))
    shift
    for _ in $(seq "$limit"); do
        "$@" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

# wait_for_line FILE PATTERN SECONDS: polls until FILE holds the line.
wait_for_line() {
    poll "$3" grep -qx -- "$2" "$1"
}

# reg_values KEY: prints every value of the key, one "NAME|TYPE|DATA" line
# each (the default value's name is empty). Fails when there is no such
# key. Reads through `wine reg`, which sees a running program's writes at
# once.
reg_values() {
    local out line name
    out=$(wine reg query "$1" 2>/dev/null) || return 1
    while IFS= read -r line; do
        line=${line%$'\r'}
        if [[ $line =~ ^\ {4}(.*)\ {4}(REG_[A-Z_]+)(\ {4}(.*))?$ ]]; then
            name=${BASH_REMATCH[1]}
            [ "$name" = "(Default)" ] && name=""
            echo "$name|${BASH_REMATCH[2]}|${BASH_REMATCH[4]}"
        fi
    done <<<"$out"
}

# value_in VALUES NAME: the "TYPE DATA" of one value from reg_values output.
value_in() {
    local line
    while IFS= read -r line; do
        if [ "${line%%|*}" = "$2" ]; then
            line=${line#*|}
            echo "${line%%|*} ${line#*|}"
            return 0
        fi
    done <<<"$1"
    return 1
}

# expect_value VALUES NAME "TYPE DATA": fails the test unless it is so.
expect_value() {
    local got
    got=$(value_in "$1" "$2") || fail "no value '$2'"
    [ "$got" = "$3" ] || fail "'$2' is '$got', expected '$3'"
}

# use_log_file UNIX_PATH LEVEL: the program logs there at that level (an
# empty path removes both settings again).
use_log_file() {
    wine reg delete 'HKCU\SOFTWARE\Mirlow' /f >/dev/null 2>&1
    if [ -z "$1" ]; then
        wine reg delete 'HKLM\SOFTWARE\Mirlow' /v Logfile /f >/dev/null 2>&1
        wine reg delete 'HKLM\SOFTWARE\Mirlow' /v Log /f >/dev/null 2>&1
        return 0
    fi
    set_program_value Logfile REG_SZ "$(winpath "$1")"
    set_program_value Log REG_DWORD "$2"
}

# set_program_value NAME TYPE DATA: stores a value of Mirlow's key and reads
# it back, trying again a few times: the first registry write of a fresh
# Wine session can go missing while the prefix is still being set up, and a
# run without its log settings fails far from the cause.
set_program_value() {
    local try
    for try in 1 2 3 4 5; do
        wine reg add 'HKLM\SOFTWARE\Mirlow' /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 &&
            wine reg query 'HKLM\SOFTWARE\Mirlow' /v "$1" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    fail "cannot store $1 in Mirlow's registry key"
}

# wait_for_file PATH SECONDS: polls until the file exists and is not empty.
wait_for_file() {
    poll "$2" test -s "$1"
}

# expect_lines_in_order FILE TEXT...: each text is found in a line (as a
# fixed string), each after the line that held the one before.
expect_lines_in_order() {
    local file=$1 from=1 text found
    shift
    [ -f "$file" ] || fail "no file $file"
    for text in "$@"; do
        found=$(tail -n +"$from" "$file" | tr -d '\r' | grep -n -F -m1 -- "$text" | cut -d: -f1)
        [ -n "$found" ] || fail "'$text' not found in $(basename "$file") after line $from"
        from=$((from + found))
    done
}

# wait_for_line_containing FILE TEXT SECONDS: polls until a line holds TEXT.
wait_for_line_containing() {
    poll "$3" grep -qF -- "$2" "$1"
}

# menu_now: asks the running program to write its menu to its probe file
# and prints that menu (the last one the file holds).
menu_now() {
    probe write-menu Mirlow || return 1
    awk '/^menu$/ {block = ""} {block = block $0 "\n"} /^end menu$/ {last = block}
         END {printf "%s", last}' "$PROBE_FILE"
}

# recent_entries: the File menu's recent-file entries, one "ID STATE PATH"
# line each, in menu order.
recent_entries() {
    menu_now | sed -n -E 's/^    (106[1-8]) (enabled|grayed) unchecked (.*)$/\1 \2 \3/p'
}

# forget_settings: the next start finds no settings and no recent-file
# list, in either copy.
forget_settings() {
    wine reg delete 'HKLM\SOFTWARE\Mirlow' /f >/dev/null 2>&1
    wine reg delete 'HKCU\SOFTWARE\Mirlow' /f >/dev/null 2>&1
    return 0
}

# layout_now: asks the running program to write its menu and layout to its
# probe file and prints the layout that followed the last menu: "client W
# H", a "child CLASS LEFT TOP RIGHT BOTTOM" line per visible child window
# and a "toolbar-button ID CX CY LEFT TOP RIGHT BOTTOM" line per button, in
# the main window's client coordinates.
layout_now() {
    probe write-menu Mirlow || return 1
    awk '/^menu$/ {block = ""} /^(client|child|toolbar-button) / {block = block $0 "\n"}
         END {printf "%s", block}' "$PROBE_FILE"
}

# use_dpi DPI: programs started from now on see that display scale (Wine's
# LogPixels, read when the server starts). A test that changes it sets 96
# again before it ends.
use_dpi() {
    local place
    for place in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        wine reg add "$place" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    done
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    wineserver -p >/dev/null 2>&1
    probe noop >/dev/null
}

# start_recording LOG: starts mirlow.exe interactively and its recording;
# LOG is the program's log at MEDIUM or LOW, where the start shows.
start_recording() {
    start_mirlow
    probe wait-window Mirlow 15000 || fail "mirlow.exe shows no window"
    probe post-command Mirlow 1044 || fail "cannot post Start Recording"
    wait_for_line_containing "$1" "Recording through low-level input hooks" 10 \
        || fail "recording did not start through the low-level hooks"
}

# stop_and_save_recording LOG FILE: ends the recording start_recording
# began, saves it as FILE, and exits the program.
stop_and_save_recording() {
    probe post-command Mirlow 1049 || fail "cannot post Stop Recording"
    wait_for_line_containing "$1" "END RECORDING" 10 || fail "recording did not stop"
    probe post-command Mirlow 1052 || fail "cannot post Save As"
    probe answer-file-dialog "Save As" "$(winpath "$2")" 15000 || fail "no Save As dialog"
    poll 10 test -s "$2" || fail "nothing saved"
    probe post-command Mirlow 1018 || fail "cannot post Exit"
    wait_exit 20
}

# expect_count_agrees LOG: the MEDIUM log's recorded events and the end
# marker are as many as the END RECORDING line counts.
expect_count_agrees() {
    local recorded
    recorded=$(grep -c "RECORDING #" "$1")
    grep -qF "($((recorded + 1)) total actions: final one not logged)" "$1" \
        || fail "$recorded events logged, the end line says $(grep -o '([0-9]* total' "$1")"
}

# start_notepad [FILE]: notepad in the background, its process id in
# NOTEPAD_PID; with no FILE, returns once its untitled window is there.
start_notepad() {
    timeout 60 wine notepad "$@" >/dev/null 2>&1 &
    NOTEPAD_PID=$!
    [ $# -gt 0 ] || probe wait-window "-:Untitled - Notepad" 20000 || fail "notepad does not start"
}
