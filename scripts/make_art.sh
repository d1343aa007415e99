#!/usr/bin/env bash
# Draws Mirlow's art and writes it into resources/:
#   mirlow.ico   program icon (16, 32 and 48 px): a keyboard key with a red record dot
#   hand.cur     32 x 32 pointing hand, hot spot at the fingertip
#   toolbar.bmp  toolbar strip, 11 images of 16 x 16 (176 x 16), 8 bpp with a colour table
#
# The small pictures are pixel maps written out below as XPM text (one character per
# pixel), so every pixel is exactly as drawn. The 32 and 48 px icons are reduced from a
# 192 px drawing. The output is byte-for-byte the same on every run.
#
# Usage: scripts/make_art.sh        (from anywhere; needs ImageMagick 6)
set -euo pipefail

# The real ImageMagick, named in full: another "convert" may come first on PATH.
CONVERT=/usr/bin/convert

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/resources"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- Helpers ------------------------------------------------------------------------

# write_xpm FILE WIDTH HEIGHT PALETTE: reads WIDTH x HEIGHT pixel rows from stdin and
# writes them as an XPM image. PALETTE holds one "<char> c <colour>" line per colour.
# Stops the script when a row has the wrong length or the row count is wrong.
write_xpm() {
    local file=$1 width=$2 height=$3 palette=$4
    local rows=() line
    while IFS= read -r line; do
        [[ -z $line ]] && continue
        if ((${#line} != width)); then
            echo "make_art: $file: row $((${#rows[@]} + 1)) is ${#line} wide, not $width" >&2
            exit 1
        fi
        rows+=("$line")
    done
    if ((${#rows[@]} != height)); then
        echo "make_art: $file: ${#rows[@]} rows, not $height" >&2
        exit 1
    fi
    local ncolours
    ncolours=$(grep -c . <<<"$palette")
    {
        echo '/* XPM */'
        echo 'static char *image[] = {'
        echo "\"$width $height $ncolours 1\","
        while IFS= read -r line; do
            [[ -n $line ]] && echo "\"$line\","
        done <<<"$palette"
        local i
        for ((i = 0; i < height; i++)); do
            if ((i + 1 < height)); then echo "\"${rows[i]}\","; else echo "\"${rows[i]}\""; fi
        done
        echo '};'
    } >"$file"
}

# ---- Toolbar strip ------------------------------------------------------------------

# "." is the light gray that the toolbar treats as transparent. Outlines and fills use
# near-black, near-white and a gray a shade off 128: the toolbar swaps exact black,
# white and gray for the system's 3-D colours, and these glyphs should keep their own.
TOOLBAR_PALETTE='. c #C0C0C0
k c #101010
w c #FCFCFC
g c #7C7C7C
d c #404448
s c #E4E6EA
R c #8C0A10
r c #E02028
p c #FF9090
G c #0A6418
n c #24B040
l c #90E8A0
Y c #C89418
y c #FFDC58
B c #102C78
b c #2458D0
c c #A8C4FF'

toolbar_image() { # toolbar_image INDEX: the 16 x 16 rows come from stdin
    write_xpm "$work/tb$1.xpm" 16 16 "$TOOLBAR_PALETTE"
}

# 0 New: a blank page with a folded corner
toolbar_image 0 <<'EOF'
................
...kkkkkkkk.....
...kwwwwwwkk....
...kwwwwwwksk...
...kwwwwwwkssk..
...kwwwwwwkkkkk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kkkkkkkkkkkk.
................
EOF

# 1 Open: a folder with its front flap open
toolbar_image 1 <<'EOF'
................
................
................
.kkkk...........
kYYYYk..........
kYYYYYkkkkkkk...
kYYYYYYYYYYYYk..
kYYYYYYYYYYYYk..
kYYYkkkkkkkkkkkk
kYYkyyyyyyyyyyyk
kYkyyyyyyyyyyyk.
kYkyyyyyyyyyyyk.
kkyyyyyyyyyyyk..
kkkkkkkkkkkkkk..
................
................
EOF

# 2 Save: a floppy disk, label on top, metal shutter below
toolbar_image 2 <<'EOF'
................
.kkkkkkkkkkkkk..
.kbwwwwwwwwwbkk.
.kbwwwwwwwwwbbk.
.kbwggggggwwbbk.
.kbwwwwwwwwwbbk.
.kbwggggggwwbbk.
.kbwwwwwwwwwbbk.
.kbbbbbbbbbbbbk.
.kbbssssssssbbk.
.kbbsBBssssssbk.
.kbbsBBssssssbk.
.kbbsBBssssssbk.
.kbbssssssssbbk.
.kkkkkkkkkkkkkk.
................
EOF

# 3 Start Recording: a red dot
toolbar_image 3 <<'EOF'
................
................
.....RRRRRR.....
....RrrrrrrR....
...RrpprrrrrR...
..RrppprrrrrrR..
..RrpprrrrrrrR..
..RrrrrrrrrrrR..
..RrrrrrrrrrrR..
..RrrrrrrrrrrR..
..RrrrrrrrrrrR..
...RrrrrrrrrR...
....RrrrrrrR....
.....RRRRRR.....
................
................
EOF

# 4 Stop Recording: a dark square
toolbar_image 4 <<'EOF'
................
................
................
...kkkkkkkkkk...
...kggggggggk...
...kgdddddddk...
...kgdddddddk...
...kgdddddddk...
...kgdddddddk...
...kgdddddddk...
...kgdddddddk...
...kgdddddddk...
...kkkkkkkkkk...
................
................
................
EOF

# 5 Playback: a green triangle pointing right
toolbar_image 5 <<'EOF'
................
...GG...........
...GlGG.........
...GlnnG........
...GlnnnGG......
...GlnnnnnG.....
...GlnnnnnnGG...
...GlnnnnnnnnG..
...GnnnnnnnnnG..
...GnnnnnnnGG...
...GnnnnnnG.....
...GnnnnGG......
...GnnnG........
...GnGG.........
...GG...........
................
EOF

# 6 Help: a blue question mark
toolbar_image 6 <<'EOF'
................
.....BBBBBB.....
....BbbbbbbB....
...BbbBBBBbbB...
...BbbB..BbbB...
....BB...BbbB...
........BbbB....
.......BbbB.....
......BbbB......
......BbbB......
.......BB.......
................
......BBBB......
......BbbB......
......BBBB......
................
EOF

# 7 About: a white "i" on a blue disc
toolbar_image 7 <<'EOF'
................
.....BBBBBB.....
...BBbbbbbbBB...
..Bbbbbwwbbbbb..
..Bbbbbwwbbbbb..
.Bbbbbbbbbbbbbb.
.Bbbbbwwwbbbbbb.
.Bbbbbbwwbbbbbb.
.Bbbbbbwwbbbbbb.
.Bbbbbbwwbbbbbb.
.Bbbbbbwwbbbbbb.
..Bbbbwwwwbbbb..
..Bbbbbbbbbbbb..
...BBbbbbbbBB...
.....BBBBBB.....
................
EOF

# 8 to 10: spares, blank
for i in 8 9 10; do
    for _ in $(seq 16); do echo '................'; done | toolbar_image "$i"
done

# The toolbar recolours the background through the bitmap's colour table, so the strip
# is written with one, at 8 bits per pixel, uncompressed. Mapping onto the whole
# palette above (17 colours, every one exact) keeps ImageMagick from choosing 4 bits.
palette_swatches=()
while read -r _ _ colour; do palette_swatches+=("xc:$colour"); done <<<"$TOOLBAR_PALETTE"
"$CONVERT" "${palette_swatches[@]}" +append "$work/toolbar_palette.png"
"$CONVERT" "$work"/tb{0,1,2,3,4,5,6,7,8,9,10}.xpm +append \
    -background '#C0C0C0' -alpha remove -alpha off \
    +dither -remap "$work/toolbar_palette.png" \
    -type Palette -depth 8 -compress none "BMP3:$out/toolbar.bmp"

# ---- Program icon -------------------------------------------------------------------

# 16 px: drawn pixel by pixel. A key cap (light face, darker front edge, dark outline,
# so it stands out on light and on dark backgrounds) with a red record dot.
ICON_PALETTE='. c None
k c #1A1C20
f c #EEF0F4
s c #B8BDC6
d c #6B717C
R c #70080E
r c #DC2028
p c #FF9A9A'

write_xpm "$work/icon16.xpm" 16 16 "$ICON_PALETTE" <<'EOF'
................
..kkkkkkkkkkkk..
.kffffffffffffk.
.kffffRRRRffffk.
.kfffRrrrrRfffk.
.kffRrpprrrRffk.
.kffRrprrrrRffk.
.kffRrrrrrrRffk.
.kffRrrrrrrRffk.
.kfffRrrrrRfffk.
.kffffRRRRffffk.
.kffffffffffffk.
.kssssssssssssk.
.kddddddddddddk.
..kkkkkkkkkkkk..
................
EOF

# 32 and 48 px: the same key drawn at 192 px and reduced by whole factors (6 and 4)
# with a box filter, which averages exact pixel blocks.
"$CONVERT" -size 192x192 xc:none \
    -fill '#6B717C' -stroke '#1A1C20' -strokewidth 8 \
    -draw 'roundrectangle 8,8 183,183 26,26' \
    -fill '#B8BDC6' -stroke none \
    -draw 'roundrectangle 14,120 177,162 12,12' \
    -fill '#EEF0F4' -stroke '#9AA0AA' -strokewidth 3 \
    -draw 'roundrectangle 16,14 175,146 20,20' \
    -fill '#DC2028' -stroke '#70080E' -strokewidth 7 \
    -draw 'circle 96,80 96,32' \
    -fill '#FF9A9A' -stroke none \
    -draw 'ellipse 78,60 12,9 0,360' \
    "$work/icon192.png"

for size in 32 48; do
    "$CONVERT" "$work/icon192.png" -filter Box -resize "${size}x${size}" \
        "$work/icon$size.png"
done

# Every entry as 32-bit colour with alpha.
"$CONVERT" "$work/icon16.xpm" "$work/icon32.png" "$work/icon48.png" \
    -type TrueColorAlpha "$out/mirlow.ico"

# ---- Hand cursor --------------------------------------------------------------------

# 32 x 32: white hand with a dark outline, index finger up; "." is transparent.
# The hot spot is the top of the fingertip.
HOTSPOT_X=6
HOTSPOT_Y=1
HAND_PALETTE='. c None
k c #000000
w c #FFFFFF
s c #C8C8C8'

write_xpm "$work/hand.xpm" 32 32 "$HAND_PALETTE" <<'EOF'
................................
......kk........................
.....kwwk.......................
.....kwwk.......................
.....kwwk.......................
.....kwwk.......................
.....kwwk.......................
.....kwwkkk.....................
.....kwwkwwkkk..................
.....kwwkwwkwwkkk...............
.....kwwkwwkwwkwwk..............
..kk.kwwkwwkwwkwwk..............
.kwwkkwwwwwwwwwwsk..............
.kwwwkwwwwwwwwwwsk..............
..kwwwwwwwwwwwwwsk..............
..kwwwwwwwwwwwwwsk..............
...kwwwwwwwwwwwwsk..............
...kwwwwwwwwwwwwsk..............
....kwwwwwwwwwwwk...............
....kwwwwwwwwwwsk...............
.....kwwwwwwwwwsk...............
.....kwwwwwwwwwsk...............
.....kkkkkkkkkkkk...............
................................
................................
................................
................................
................................
................................
................................
................................
................................
EOF

"$CONVERT" "$work/hand.xpm" -type TrueColorAlpha "ICO:$work/hand.ico"

# A cursor file is an icon file with resource type 2 in its header and, in each
# directory entry, the hot spot where an icon keeps its planes and bit count.
le16() { printf '%b' "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8)))"; }
{
    head -c 2 "$work/hand.ico"                          # reserved
    le16 2                                              # type: cursor
    dd if="$work/hand.ico" bs=1 skip=4 count=6 status=none  # count, width, height, colours, reserved
    le16 "$HOTSPOT_X"
    le16 "$HOTSPOT_Y"
    tail -c +15 "$work/hand.ico"                        # size, offset, image data
} >"$out/hand.cur"

echo "make_art: wrote $out/mirlow.ico, $out/hand.cur, $out/toolbar.bmp"
