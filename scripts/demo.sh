#!/usr/bin/env bash
# Sets up, builds and shows the program: mirlow.exe under Wine on a virtual
# display, with a screenshot of the screen written to build/demo/mirlow.png.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh
mkdir -p build/demo
scripts/wine_session.sh build/demo/wine bash -c '
    set -e
    exe=build/win/mirlow.exe probe=build/win/mirlow_probe.exe
    timeout 120 wine "$exe" >/dev/null 2>&1 &
    pid=$!
    timeout 20 wine "$probe" wait-window Mirlow 15000 >/dev/null
    sleep 1
    /usr/bin/import -window root build/demo/mirlow.png
    timeout 20 wine "$probe" close Mirlow >/dev/null
    wait $pid
'
echo "screenshot: build/demo/mirlow.png"
