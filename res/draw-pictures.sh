#!/bin/sh
# Draws Corvane's icons and bitmaps with ImageMagick's convert. Re-running it
# gives byte-identical files; commit its outputs beside it.
#
#   shield-locked.ico  icons 128 and 137: blue shield with a padlock
#   shield-grey.ico    icon 136: grey shield (disconnected)
#   locations.bmp      bitmap 139: 48 images of 16x16, images 0-9 used
#   servers.bmp        bitmap 140: 2 images of 16x16
#   about.bmp          bitmap 146: 900x261 About picture, 8-bit RLE
#   static-slots.bmp   bitmap 149: 60 images of 16x16, images 0-9 used
#
# Every 16-pixel image is pixel art (XPM text below), because scaled-down
# drawings blur at that size. The three strips lie on pure white, their
# transparent colour, so no colour of a strip picture may be #FFFFFF.
set -eu

cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# pixmap OUT PALETTE ROWS: writes a 16x16 XPM; PALETTE holds one
# "<char> c <colour>" line per character used in ROWS.
pixmap() {
  {
    echo '/* XPM */'
    echo 'static char *image[] = {'
    echo "\"16 16 $(printf '%s\n' "$2" | grep -c .) 1\","
    printf '%s\n' "$2" | sed 's/.*/"&",/'
    printf '%s\n' "$3" | sed 's/.*/"&",/'
    echo '};'
  } >"$1"
}

# Large icons --------------------------------------------------------------
# Drawn on a 256-pixel grid and scaled to 48 and 32 pixels.
SHIELD='M 128,14 L 226,46 L 226,118 C 226,182 184,222 128,244 C 72,222 30,182 30,118 L 30,46 Z'
INNER='M 128,34 L 208,60 L 208,118 C 208,170 174,204 128,222 C 82,204 48,170 48,118 L 48,60 Z'
# The padlock's shackle: a half ring of radii 42 and 22 on two legs.
SHACKLE=$(awk 'BEGIN {
  pi = atan2(0, -1); s = "86,132"
  for (a = 180; a <= 360; a += 10) s = s sprintf(" %.1f,%.1f", 128 + 42 * cos(a * pi / 180), 104 + 42 * sin(a * pi / 180))
  s = s " 170,132 150,132"
  for (a = 360; a >= 180; a -= 10) s = s sprintf(" %.1f,%.1f", 128 + 22 * cos(a * pi / 180), 104 + 22 * sin(a * pi / 180))
  print s " 106,132" }')

# shield OUT LIGHT DARK EDGE INNER-TINT: a shield lit from the top.
shield() {
  convert -size 256x256 xc:none -fill white -draw "path '$SHIELD'" "$work/mask.png"
  convert -size 256x256 "gradient:$2-$3" "$work/mask.png" \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill none -stroke "$4" -strokewidth 8 -draw "path '$SHIELD'" \
    -fill "$5" -stroke none -draw "path '$INNER'" "$1"
}

padlock() {
  convert "$1" -fill '#F2F5FA' -stroke '#0A2A66' -strokewidth 3 -draw "polygon $SHACKLE" \
    -fill '#F7C948' -stroke '#0A2A66' -strokewidth 4 -draw 'roundrectangle 74,124 182,204 12,12' \
    -fill '#D9A92E' -stroke none -draw 'rectangle 77,190 179,201' \
    -fill '#0A2A66' -draw 'circle 128,154 128,142' -draw 'polygon 121,156 135,156 139,186 117,186' "$1"
}

# icon OUT BIG SMALL: one icon file with the 48, 32 and 16 pixel images.
icon() {
  convert "$2" -resize 48x48 "$work/i48.png"
  convert "$2" -resize 32x32 "$work/i32.png"
  convert "$work/i48.png" "$work/i32.png" "$3" -depth 8 "$1"
}

SHIELD16='......oooo......
..oooollbboooo..
.ollllllbbbbbbo.
.ollllwwwwbbbbo.
.olllwllbbwbbbo.
.olllwllbbwbbbo.
.olllwllbbwbbbo.
.ollyyyyyyyybbo.
.ollyyyyyyyybbo.
.ollyyykkyyybbo.
.ollyyykkyyybbo.
..olYYYYYYYYbo..
...ollllbbbbo...
....olllbbbo....
.....oolboo.....
.......oo.......'

shield "$work/big.png" '#5AA6FF' '#0E3F94' '#082A66' '#1F5FC4A0'
padlock "$work/big.png"
pixmap "$work/s16.xpm" '. c None
o c #082A66
l c #3F8AE8
b c #1F62C8
w c #F2F5FA
y c #F7C948
Y c #D9A92E
k c #0A2A66' "$SHIELD16"
icon shield-locked.ico "$work/big.png" "$work/s16.xpm"

shield "$work/big.png" '#C4C8CE' '#6B7280' '#4B5160' '#9AA0AA80'
# The grey shield is the same outline with the padlock left out.
pixmap "$work/s16.xpm" '. c None
o c #4B5160
l c #B4B9C0
b c #8A9099' "$(printf '%s\n' "$SHIELD16" | awk '{
  out = ""
  for (i = 1; i <= 16; i++) { c = substr($0, i, 1); if (c ~ /[wyYk]/) c = (i <= 8 ? "l" : "b"); out = out c }
  print out }')"
icon shield-grey.ico "$work/big.png" "$work/s16.xpm"

# 16x16 strip images --------------------------------------------------------
GLOBE='................
.....oooooo.....
...oohhggbboo...
..ohhggggbbgbo..
..ohgggggbggbo..
.ohbbgggbbbgggo.
.obbbgggbbbgggo.
.obbbbggbbbggdo.
.obbbbgbbbbgGdo.
.obbbbbggbbbGdo.
.obbbbbgggbbddo.
..obbbbgggbddo..
..obbbbbggdddo..
...oobbbgddoo...
.....oooooo.....
................'

# Two interlocked chain links laid over the globe's lower part.
CHAIN='................
................
................
................
................
................
................
................
................
................
....kkkkk.......
...kyyyyykkkk...
...ky...kyyyyyk.
...kyyyyyk...yk.
....kkkkyyyyyyk.
........kkkkkk..'

SERVER='................
...kkkkkkkkkk...
...kssssssssk...
...kseeeeeesk...
...kssssssssk...
...kseeeeeesk...
...kssssssssk...
...kseeeeeesk...
...kssssssssk...
...kssssssssk...
...kssssssssk...
...ksssssNsMk...
...kssssssssk...
...kssssssssk...
...kkkkkkkkkk...
................'

CHECK='................
................
................
................
................
................
................
...............K
..............Kc
.............Kck
........K...Kck.
.......KcK.Kck..
.......KccKck...
........Kcck....
.........Kk.....
................'

# overlay BASE TOP: TOP's pixels other than "." replace BASE's.
overlay() {
  printf '%s\n' "$1" >"$work/base.txt"
  printf '%s\n' "$2" | paste -d '\n' "$work/base.txt" - | awk '
    NR % 2 { base = $0; next }
    { out = ""; for (i = 1; i <= 16; i++) { c = substr($0, i, 1); out = out (c == "." ? substr(base, i, 1) : c) } print out }'
}

GLOBE_NORMAL='. c #FFFFFF
o c #173E7A
h c #8EC1F5
b c #3A7BD5
d c #2A5FAE
g c #4CAF50
G c #2E8B3A'
# The selected image is the same globe, brighter.
GLOBE_SELECTED='. c #FFFFFF
o c #1B4C94
h c #B5D8FA
b c #5797EC
d c #3A75C8
g c #62C95F
G c #3CA447'
LINKS='k c #2B2F36
y c #E8B93A'

LINKED=$(overlay "$GLOBE" "$CHAIN")
pixmap "$work/globe.xpm" "$GLOBE_NORMAL" "$GLOBE"
pixmap "$work/globe-sel.xpm" "$GLOBE_SELECTED" "$GLOBE"
pixmap "$work/linked.xpm" "$GLOBE_NORMAL
$LINKS" "$LINKED"
pixmap "$work/linked-sel.xpm" "$GLOBE_SELECTED
$LINKS" "$LINKED"

SERVER_COLOURS='. c #FFFFFF
k c #2B2F36
s c #7A8391
e c #3F4650
N c #3CD35A
M c #F2B233'
pixmap "$work/server.xpm" "$SERVER_COLOURS" "$SERVER"
pixmap "$work/server-ok.xpm" "$SERVER_COLOURS
K c #0F5A1F
c c #2FBF4F" "$(overlay "$SERVER" "$CHECK")"

# strip OUT COUNT IMAGES...: images side by side, the rest plain white.
strip() {
  out=$1 count=$2
  shift 2
  convert "$@" +append -background white -extent $((count * 16))x16 \
    -alpha off -type TrueColor BMP3:"$out"
}

g=$work/globe.xpm gs=$work/globe-sel.xpm l=$work/linked.xpm ls=$work/linked-sel.xpm
strip locations.bmp 48 "$g" "$gs" "$g" "$gs" "$g" "$gs" "$l" "$ls" "$l" "$ls"
strip static-slots.bmp 60 "$l" "$ls" "$l" "$ls" "$l" "$ls" "$l" "$ls" "$l" "$ls"
strip servers.bmp 2 "$work/server.xpm" "$work/server-ok.xpm"

# About picture -------------------------------------------------------------
# A dark blue ground, a faint diagonal grid that fades in towards the right
# (the text drawn at run time from 50,50 stays on calm ground), a glow and the
# shield on the right. Stored with a palette of its own 256 colours and
# run-length encoded: an eighth of the 24-bit size, to the eye the same.
convert -size 900x261 gradient:'#132A52'-'#070F22' "$work/ground.png"
convert -size 900x261 xc:black -stroke white -strokewidth 1 -draw "$(
  i=-300
  while [ $i -le 900 ]; do
    printf 'line %d,0 %d,261 line %d,261 %d,0 ' $i $((i + 261)) $i $((i + 261))
    i=$((i + 24))
  done)" "$work/lines.png"
convert -size 261x900 gradient:white-black -rotate 90 -level 40%,100%,1.6 \
  -evaluate multiply 0.30 "$work/fade.png"
convert "$work/lines.png" "$work/fade.png" -compose Multiply -composite "$work/grid-alpha.png"
convert -size 900x261 xc:'#6FA0E8' "$work/grid-alpha.png" \
  -alpha off -compose CopyOpacity -composite "$work/grid.png"
convert -size 420x420 radial-gradient:'#2D6BC8'-none -resize 420x261! \
  -channel A -evaluate multiply 0.55 +channel \
  -background none -gravity east -extent 900x261 "$work/glow.png"

shield "$work/big.png" '#5AA6FF' '#0E3F94' '#082A66' '#1F5FC4A0'
padlock "$work/big.png"
convert "$work/big.png" -resize 200x200 "$work/about-shield.png"
convert "$work/about-shield.png" -background black -shadow 60x6+0+4 "$work/shadow.png"

convert "$work/ground.png" "$work/grid.png" -composite "$work/glow.png" -composite \
  "$work/shadow.png" -geometry +680+26 -composite \
  "$work/about-shield.png" -geometry +690+26 -composite \
  -fill '#3F7FD9' -draw 'rectangle 0,255 900,256' \
  -alpha off +dither -colors 256 -compress RLE BMP3:about.bmp
