#!/usr/bin/env bash
# The release as a user downloads it (build/dist, made by scripts/package.sh):
# it holds the program, the guide, the samples, the read-me and the
# licence; unpacked into C:\Program Files of a Wine that has never seen
# Mirlow, it plays the bundled samples from there: each makes its text file,
# opens it in Notepad by a title known in advance, types at its end and
# saves it, with no question asked. Its program carries no test probe: it holds none of
# the probe's texts, and it writes nothing to a probe file named for it.
source "$(dirname "$0")/lib.sh"

# package.sh builds the released program with the tests off and packs it into build/dist.
zip="$(dirname "$MIRLOW_RELEASE_EXE")/../dist/mirlow-$MIRLOW_VERSION-win64.zip"
[ -f "$zip" ] || fail "no $zip: scripts/package.sh makes it"
expected=$(printf '%s\n' LICENCE.txt README.txt mirlow.exe mirlowHelp.htm samples/demo.mrx \
    samples/note.mrx | sed "s|^|mirlow-$MIRLOW_VERSION/|")
[ "$(unzip -Z1 "$zip" | LC_ALL=C sort)" = "$expected" ] \
    || fail "the zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"

source "$(dirname "$0")/fresh_prefix.sh"
unzip -q "$zip" -d "$WINEPREFIX/drive_c/Program Files" || fail "cannot unpack"
folder="C:\\Program Files\\mirlow-$MIRLOW_VERSION"
unpacked="$WINEPREFIX/drive_c/Program Files/mirlow-$MIRLOW_VERSION"
head -n1 "$unpacked/LICENCE.txt" | grep -q "^MIRLOW END-USER LICENCE AGREEMENT" \
    || fail "LICENCE.txt is not the agreement"
grep -q 'id="refgoto"' "$unpacked/mirlowHelp.htm" || fail "the guide has no script reference"

# The probe's variable, its message and its control lines: every one is in
# the program the tests run, none in the released one.
for text in MIRLOW_TEST_PROBE MirlowProbeWriteMenu "control refuse-input" \
    "control stall-input" "control try-journal"; do
    grep -qaF -- "$text" "$MIRLOW_EXE" || fail "the tests' program lacks the probe's '$text'"
    if grep -qaF -- "$text" "$unpacked/mirlow.exe"; then
        fail "the released program holds the probe's '$text'"
    fi
done
# Nor its code: no function of the probe and no system call routed through
# it, by the programs' symbols (the released one keeps them: WinMain). The
# greps read to the end: with -q, nm cut off would fail the pipeline.
probe_symbols() { x86_64-w64-mingw32-nm "$1" 2>/dev/null | grep -E 'Probe|__wrap_'; }
probe_symbols "$MIRLOW_EXE" | grep __wrap___imp_SendInput >/dev/null \
    || fail "the tests' program shows no probe"
x86_64-w64-mingw32-nm "$unpacked/mirlow.exe" 2>/dev/null | grep ' WinMain$' >/dev/null \
    || fail "the released program has no symbols to look at"
[ -z "$(probe_symbols "$unpacked/mirlow.exe")" ] \
    || fail "the released program holds the probe's $(probe_symbols "$unpacked/mirlow.exe" | head -n3)"

# Notepad's very first start in a new prefix is slow; the demo gives it 2 s.
timeout 30 wine notepad >/dev/null 2>&1 &
warm=$!
probe wait-window "-:Untitled - Notepad" 20000 || fail "notepad does not start"
probe close "-:Untitled - Notepad"
wait $warm

saved="$WINEPREFIX/drive_c/users/Public/mirlow-demo.txt"
# Started as the tests start theirs, with a probe file named, where the
# tests' program writes its menu even when it shows no window.
MIRLOW_EXE="$folder\\mirlow.exe" start_mirlow "$folder\\samples\\demo.mrx"
wait_exit 90
[ -e "$PROBE_FILE" ] && fail "the released program wrote a probe file: $(head -n3 "$PROBE_FILE")"
[ "$EXIT_CODE" = "0" ] || fail "the demo ended with exit code $EXIT_CODE"
wait_for_file "$saved" 10 || fail "the demo saved nothing"
probe close "-:mirlow-demo.txt - Notepad" >/dev/null
# The first line the sample types, as Notepad saved it.
typed=$(tr -d '\r' <"$unpacked/samples/demo.mrx" | sed -n 's/^TYPE \(.*\){enter}$/\1/p' | head -n1)
head -n1 "$saved" | tr -d '\r' | grep -qxF -- "$typed" \
    || fail "the saved text begins '$(head -n1 "$saved")', not '$typed'"

# The worked example adds a note to its notes file and closes Notepad.
notes="$WINEPREFIX/drive_c/users/Public/mirlow-notes.txt"
MIRLOW_EXE="$folder\\mirlow.exe" start_mirlow "$folder\\samples\\note.mrx"
wait_exit 90
[ "$EXIT_CODE" = "0" ] || fail "the note sample ended with exit code $EXIT_CODE"
tr -d '\r' <"$notes" 2>/dev/null | grep -q "^Note 1, written on .* at .*\.$" \
    || fail "the notes file holds '$(cat "$notes" 2>/dev/null)'"
probe wait-gone "-:mirlow-notes.txt - Notepad" 10000 >/dev/null \
    || fail "the note sample left Notepad open"
echo "release zip unpacked into a fresh Wine and its samples played: ok"
