#!/usr/bin/env bash
# Makes the release a Windows user downloads, build/dist/mirlow-VERSION-win64.zip:
# one folder, mirlow-VERSION, holding mirlow.exe, the user guide, the sample
# scripts, a read-me and the licence. VERSION is the one the build wrote
# into its version header.
# The released program is built in a folder of its own, build/release/win,
# with the tests and their tools left out and the test framework made
# unfindable, so a release that came to need one fails here; the headless
# mirlow is built the same way (build/release/native), for the same proof.
# The licence is the text of the program's own Legal Agreement, taken from
# resources/mirlow.rc, so the two never differ. Text files get Windows line
# ends. Every file carries the time of the last commit, so the same sources
# give the same zip.
set -euo pipefail
cd "$(dirname "$0")/.."

release=build/release
no_tests=(--no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DMIRLOW_TESTS=OFF
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=TRUE)
cmake -S . -B "$release/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake "${no_tests[@]}" \
    >/dev/null
cmake --build "$release/win" >/dev/null
cmake -S . -B "$release/native" -G Ninja "${no_tests[@]}" >/dev/null
cmake --build "$release/native" >/dev/null
for tree in "$release/win" "$release/native"; do
    if grep -qiE 'gtest|googletest' "$tree/build.ninja"; then
        echo "package: the release build in $tree uses the test framework" >&2
        exit 1
    fi
done

exe=$release/win/mirlow.exe
header=$release/win/generated/resources/version.h
[ -f "$exe" ] || { echo "package: $exe was not built" >&2; exit 1; }
version=$(sed -n 's/^#define MIRLOW_VERSION_TEXT "\(.*\)"$/\1/p' "$header" 2>/dev/null || true)
[ -n "$version" ] || { echo "package: no version in $header" >&2; exit 1; }

dist=build/dist
folder=$dist/mirlow-$version
zip=$dist/mirlow-$version-win64.zip
rm -rf "$dist"
mkdir -p "$folder/samples"

with_crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

cp "$exe" "$folder/mirlow.exe"
cp resources/mirlowHelp.htm "$folder/mirlowHelp.htm"
for sample in samples/*.mrx; do
    with_crlf "$sample" "$folder/samples/$(basename "$sample")"
done
with_crlf docs/windows-readme.txt "$folder/README.txt"

# The two string-table entries of the agreement, joined: each string's
# pieces are concatenated, "" stands for a double quote, \r\n for a line end,
# and MIRLOW_VERSION_TEXT for the version.
VERSION=$version perl -0777 -ne '
    /STRINGTABLE\s*BEGIN(.*?)\nEND/s or die "package: no string table in mirlow.rc\n";
    my ($table, $text) = ($1, "");
    $table =~ s/\bMIRLOW_VERSION_TEXT\b/"$ENV{VERSION}"/g;
    while ($table =~ /"((?:[^"]|"")*)"/g) { my $piece = $1; $piece =~ s/""/"/g; $text .= $piece; }
    $text =~ s/\\r\\n/\r\n/g;
    print $text, "\r\n";
' resources/mirlow.rc >"$folder/LICENCE.txt"
grep -q "LICENCE AGREEMENT" "$folder/LICENCE.txt" || { echo "package: licence text not found" >&2; exit 1; }

stamp=$(git log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)
find "$folder" -exec touch -t "$stamp" {} +
(cd "$dist" && find "mirlow-$version" -type f | LC_ALL=C sort | zip -q -X -D "mirlow-$version-win64.zip" -@)
echo "package: $zip ($(du -k "$zip" | cut -f1) KB)"
