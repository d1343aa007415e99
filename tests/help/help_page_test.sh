#!/usr/bin/env bash
# The user guide in a real browser (headless Chromium): every in-page link
# leads to an element with that id, nothing is loaded from outside the
# file, the page needs no sideways scrolling at 320, 500 (a 1000-pixel
# window at 200 % zoom) and 1000 pixels, and screenshots are left to look
# at: the top and the script reference at 100 %, the tokens at 200 % zoom
# (a 1000-pixel window shown at twice the size),
# and a narrow window.
#
#   help_page_test.sh GUIDE OUTPUT_FOLDER
set -uo pipefail
guide=$(realpath "$1")
out=$2
mkdir -p "$out"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
command -v chromium >/dev/null || fail "chromium is not installed (scripts/setup.sh installs it)"

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
browser() {
    timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --hide-scrollbars --user-data-dir="$profile" "$@" 2>/dev/null
}

url="file://$guide"
encode() { printf %s "$1" | sed 's/%/%25/g; s/#/%23/g; s/?/%3F/g; s/&/%26/g'; }
checker="file://$(realpath "$(dirname "$0")/check_help_page.html")"
report=$(browser --allow-file-access-from-files --virtual-time-budget=10000 --dump-dom \
    "$checker?$(encode "$url")")
result=$(sed -n '/<pre id="result">/,/<\/pre>/p' <<<"$report" | sed 's/<[^>]*>//g')
echo "$result"
grep -q '^links [1-9]' <<<"$result" || fail "the guide was not read, or has no links"
grep -q '^refgoto present' <<<"$result" || fail "no element with the id refgoto"
grep -q '^outside resources 0$' <<<"$result" || fail "the guide loads something from outside"
! grep -E '^(unresolved|outside link|unreadable)' <<<"$result" || fail "broken links"
while read -r _ width _ scroll _ client; do
    [ "$scroll" -le "$client" ] || fail "at $width pixels the page scrolls sideways ($scroll > $client)"
done < <(grep '^width ' <<<"$result")

# The guide is shown through a page that holds it in a frame, opened at the
# fragment: that also proves a browser goes to the section an address names.
viewer="file://$(realpath "$(dirname "$0")/view_help_page.html")"
shoot() { # NAME WIDTH HEIGHT SCALE FRAGMENT
    rm -f "$out/$1.png"
    browser --allow-file-access-from-files --virtual-time-budget=5000 \
        --run-all-compositor-stages-before-draw \
        --window-size="$2,$3" --force-device-scale-factor="$4" --screenshot="$out/$1.png" \
        "$viewer?$(encode "$url$5")" >/dev/null
    [ -s "$out/$1.png" ] || fail "no screenshot $1"
}
shoot help-top 1000 1300 1 ""
shoot help-reference 1000 1300 1 "#refgoto"
shoot help-reference-200 500 650 2 "#ref-tokens"
shoot help-narrow 360 1300 1 "#ref-commands"
echo "help page: links, no outside resources, widths and screenshots in $out: ok"
