#!/usr/bin/env bash
# The headless mirlow handed odd inputs: pipes and devices as its settings
# file, desktop description or log end the run at once instead of hanging
# or filling memory; a settings key of 20,000 parts is read in moments; a
# log file that names the recording leaves it alone; blanks before the path
# are skipped, and a path over 259 characters is reported.
#   headless_hostile_test.sh PATH_OF_MIRLOW
set -uo pipefail
mirlow=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs mirlow with a time limit; $code and $err hold the outcome.
run() {
    timeout 10 env "$@" "$mirlow" "$recording" >"$work/out" 2>"$work/err"
    code=$?
    err=$(cat "$work/err")
    [ "$code" -ne 124 ] || fail "$* did not end within 10 s"
}

recording="$work/one.mrx"
printf 'message=WM_MOUSEMOVE paramH=20 paramL=10 time=100\r\n' >"$recording"
mkfifo "$work/fifo"

for input in /dev/zero "$work/fifo"; do
    run MIRLOW_REGISTRY="$input"
    [ "$code" -eq 0 ] && [[ $err == *"is not a plain file"* ]] || fail "registry $input: $code $err"
    run MIRLOW_DESKTOP="$input"
    [ "$code" -eq 64 ] && [[ $err == *"is not a plain file"* ]] || fail "desktop $input: $code $err"
done

settings() { printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirlow]\r\n%s' "$1" >"$work/s.reg"; }
settings "$(printf '"Log"=dword:00000003\r\n"Logfile"="%s"\r\n' "$work/fifo")"
run MIRLOW_REGISTRY="$work/s.reg"
[ "$code" -eq 0 ] || fail "a FIFO as the log file: $code $err"

{ printf 'REGEDIT4\r\n[HKEY_CURRENT_USER\\deep'; for i in $(seq 20000); do printf '\\k'; done
  printf ']\r\n"v"=dword:00000001\r\n'; } >"$work/deep.reg"
run MIRLOW_REGISTRY="$work/deep.reg"
[ "$code" -eq 0 ] || fail "a key of 20,000 parts: $code $err"

cp "$recording" "$work/before.mrx"
settings "$(printf '"Log"=dword:00000002\r\n"RestartLog"=dword:00000001\r\n"Logfile"="%s"\r\n' "$recording")"
run MIRLOW_REGISTRY="$work/s.reg"
[ "$code" -eq 0 ] && cmp -s "$recording" "$work/before.mrx" || fail "the log touched the recording"
grep -q "is the recording in use" "$recording.log" || fail "the moved log does not say why"

out=$(timeout 10 "$mirlow" "  $recording") || fail "blanks before the path: $?"
[[ $out == *WM_MOUSEMOVE* ]] || fail "blanks before the path: nothing played"
timeout 10 "$mirlow" "$(printf 'p%.0s' $(seq 260))" 2>"$work/err"
code=$?
[ "$code" -eq 2 ] && grep -q "longer than 259 characters" "$work/err" || fail "long path: $code"
echo "headless hostile inputs: ok"
