#!/usr/bin/env bash
# Draws the banner pictures (still picture and scrolling strip, French and
# English) and the about window's animated logo with ImageMagick. The results
# are committed; run this again only to change them:
#   scripts/make_pictures.sh
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/banner
logo=resources/dist/Datas
mkdir -p "$out" "$logo" 
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
font=DejaVu-Sans
bold=DejaVu-Sans-Bold

# Still picture, 425 x 90: the program's name, a line of text, room at the
# bottom for the caption button (y 69 to 87).
still() {  # file, line 1, line 2
  convert -size 425x90 gradient:'#1d3f6e'-'#3a78b8' \
    -fill '#ffd24a' -draw 'circle 40,34 40,10' \
    -fill '#1d3f6e' -font "$bold" -pointsize 22 -annotate +29+42 'K' \
    -fill white -font "$bold" -pointsize 24 -annotate +80+30 "$2" \
    -fill '#e6f0ff' -font "$font" -pointsize 13 -annotate +80+52 "$3" \
    -quality 90 "$1"
}
still "$out/banner_fr.jpg" 'Tollamar' 'Des pages claires, des mots choisis.'
still "$out/banner_en.jpg" 'Tollamar' 'Clear pages, well-chosen words.'

# Scrolling strip, 254 pixels wide: panels of 180 pixels (the part shown
# at a time, scaled to half height), cut to the stated height.
strip() {  # file, height, panel texts...
  local file=$1 height=$2
  shift 2
  local i=0 panels=()
  local colours=('#f4f8ff' '#fff7e0' '#eefbea' '#fdeef3')
  for text in "$@"; do
    local c=${colours[$((i % 4))]}
    convert -size 254x180 xc:"$c" \
      -fill none -stroke '#3a78b8' -strokewidth 3 -draw 'rectangle 6,6 247,173' -stroke none \
      -fill '#1d3f6e' -font "$bold" -pointsize 22 -gravity north -annotate +0+22 'Tollamar' \
      -fill '#333333' -font "$font" -pointsize 16 -gravity center -annotate +0+18 "$text" \
      "$tmp/panel_$i.png"
    panels+=("$tmp/panel_$i.png")
    i=$((i + 1))
  done
  local n=${#panels[@]} all=()
  # Enough panels to pass the height; the picture is cut to it exactly.
  local needed=$(( (height + 179) / 180 ))
  for ((k = 0; k < needed; k++)); do all+=("${panels[$((k % n))]}"); done
  convert "${all[@]}" -append -crop "254x${height}+0+0" +repage -colors 64 "$file"
}
strip "$out/strip_fr.gif" 2698 'Analysez vos pages' 'Choisissez vos\nmots clés' 'Mettez tout\nle site à jour' 'Envoyez par FTP'
strip "$out/strip_en.gif" 3171 'Analyse your pages' 'Choose your\nkeywords' 'Update the\nwhole site' 'Upload by FTP'

# Animated logo of the about window, 40 x 40: a dot going round a ring.
frames=()
for k in 0 1 2 3 4 5 6 7; do
  angle=$((k * 45))
  x=$(awk -v a=$angle 'BEGIN { printf "%d", 20 + 13 * cos(a * 3.14159265 / 180) }')
  y=$(awk -v a=$angle 'BEGIN { printf "%d", 20 + 13 * sin(a * 3.14159265 / 180) }')
  convert -size 40x40 xc:white -fill none -stroke '#3a78b8' -strokewidth 3 -draw 'circle 20,20 20,7' \
    -stroke none -fill '#ffd24a' -draw "circle $x,$y $((x + 5)),$y" \
    -fill '#1d3f6e' -font "$bold" -pointsize 14 -gravity center -annotate +0+0 'K' "$tmp/logo_$k.gif"
  frames+=("$tmp/logo_$k.gif")
done
convert -delay 12 -loop 0 "${frames[@]}" "$logo/logo_m.gif"
