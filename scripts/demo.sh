#!/usr/bin/env bash
# Sets up, builds and shows the program doing its main job, under Wine on a
# virtual display: mirlow.exe plays samples/demo.mrx from the command line,
# which opens a text file of its own in Notepad, types at its end and saves
# it. Leaves in
# build/demo/: notepad.png (the screen after the playback), mirlow-demo.txt
# (the file Notepad saved), mirlow.png (the program's own window with its
# toolbar) and help.png (the user guide as a browser shows it; more views
# of it in build/demo/help/).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh
rm -rf build/demo
mkdir -p build/demo
scripts/wine_session.sh build/demo/wine bash -c '
    set -e
    source scripts/lib.sh
    exe=build/win/mirlow.exe # the released program, as package.sh builds and packs it
    saved="$WINEPREFIX/drive_c/users/Public/mirlow-demo.txt"
    script=$(winpath samples/demo.mrx)
    echo "playing samples/demo.mrx into Notepad..."
    code=0
    timeout 120 wine "$exe" "$script" >/dev/null 2>&1 || code=$?
    echo "mirlow.exe exited with $code"
    for _ in $(seq 100); do [ -s "$saved" ] && break; sleep 0.05; done
    /usr/bin/import -window root build/demo/notepad.png
    cp "$saved" build/demo/mirlow-demo.txt
    probe close "-:mirlow-demo.txt - Notepad" >/dev/null || true

    timeout 120 wine "$exe" >/dev/null 2>&1 &
    pid=$!
    probe wait-window Mirlow 15000 >/dev/null
    sleep 0.5
    /usr/bin/import -window root build/demo/mirlow.png
    probe close Mirlow >/dev/null
    wait $pid
    exit $code
'
tests/help/help_page_test.sh resources/mirlowHelp.htm build/demo/help >/dev/null
cp build/demo/help/help-top.png build/demo/help.png
echo "Notepad saved:"
cat build/demo/mirlow-demo.txt; echo
echo "screenshots: build/demo/notepad.png build/demo/mirlow.png build/demo/help.png"
