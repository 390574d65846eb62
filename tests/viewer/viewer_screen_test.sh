#!/usr/bin/env bash
# The real program under a virtual display, in a copy of the demo publication, without a skin: the start
# page in its window is painted pixel for pixel as `lumora-html render` paints it (its heading is found in
# the window's screenshot without a single differing pixel), and the frames page shows both of its frames.
set -euo pipefail
lumora=$1 html=$2 demo=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../support/demo_copy.sh"
copyDemo "$demo" "$lumora" "$dir"
shot() {  # shot PAGE OUT
  openAt "$dir" "$1"
  SDL_AUDIODRIVER=dummy LUMORA_SCREENSHOT="$2" timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$dir/pub/lumora" /NoSplash >/dev/null 2>&1 || true
  [[ -s "$2" ]] || { echo "no screenshot of $1"; exit 1; }
}
# found PICTURE AREA: the differing pixels where PICTURE fits best inside AREA ("0 @ x,y" is a perfect match).
found() { compare -metric AE -subimage-search "$2" "$1" "$dir/null.png" 2>&1 | head -1 || true; }
pageTop() {  # pageTop PAGE W H OUT: the top left W x H of the page as lumora-html paints it 700 pixels wide
  "$html" render "$dir/pub/$1" -o "$dir/page.png" --width 700 --height 200 >/dev/null 2>&1
  convert "$dir/page.png" -crop "$2x$3+0+0" +repage "$4"
}

shot index.htm "$dir/index.png"
pageTop index.htm 440 60 "$dir/heading.png"
convert "$dir/index.png" -crop 520x160+0+30 +repage "$dir/area.png"
match=$(found "$dir/heading.png" "$dir/area.png")
echo "start page heading: $match"
[[ "$match" == "0 @ "* ]] || { echo "the start page is not painted as lumora-html renders it"; exit 1; }

shot frames.htm "$dir/frames.png"
pageTop frames/contents.htm 120 50 "$dir/contents.png"
convert "$dir/frames.png" -crop 300x200+0+30 +repage "$dir/left.png"
match=$(found "$dir/contents.png" "$dir/left.png")
echo "contents frame: $match"
[[ "$match" == "0 @ "* ]] || { echo "the contents frame is not shown"; exit 1; }
pageTop chapters/chapter1.htm 150 50 "$dir/chapter.png"
convert "$dir/frames.png" -crop 500x200+200+30 +repage "$dir/right.png"
match=$(found "$dir/chapter.png" "$dir/right.png")
echo "text frame: $match"
[[ "$match" == "0 @ "* ]] || { echo "the text frame is not shown"; exit 1; }
echo "viewer screenshots: ok"
