#!/usr/bin/env bash
# The real program on the demo's form page under a virtual display, without a skin: the form's controls
# are drawn where the layout puts them (the page as `lumora-html render` draws it, its real controls
# included, is found on the screen without a single differing pixel); a click into the name box, "Ada"
# typed and Tab move on to the chapter list, where Up picks the first chapter (both boxes then look as
# lumora-html draws a copy of the page with those values).
set -euo pipefail
lumora=$1 html=$2 demo=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../support/demo_copy.sh"
copyDemo "$demo" "$lumora" "$dir"
openAt "$dir" form.htm

# The page as lumora-html draws it, and a copy with the name typed and the first chapter chosen.
"$html" render "$dir/pub/form.htm" -o "$dir/page.png" --width 700 --height 400 >/dev/null 2>&1
sed -e 's/NAME="name" SIZE="30"/NAME="name" SIZE="30" VALUE="Ada"/' \
    -e 's/<OPTION VALUE="1">/<OPTION VALUE="1" SELECTED>/' -e 's/<OPTION VALUE="2" SELECTED>/<OPTION VALUE="2">/' \
    "$dir/pub/form.htm" > "$dir/pub/typed.htm"
"$html" render "$dir/pub/typed.htm" -o "$dir/typed.png" --width 700 --height 400 >/dev/null 2>&1
# Where the layout puts the controls: one "x y w h" line each.
"$html" layout "$dir/pub/form.htm" --width 700 --metrics system |
  python3 -c 'import json,sys
for l in sys.stdin:
    b=json.loads(l)
    if b["kind"]=="control": print(b["x"], b["y"], b["w"], b["h"])' > "$dir/controls"
read -r nx ny nw nh < <(sed -n 1p "$dir/controls")
read -r sx sy sw sh < <(sed -n 2p "$dir/controls")

cat > "$dir/drive.sh" <<EOF
set -euo pipefail
SDL_AUDIODRIVER=dummy "$dir/pub/lumora" /NoSplash >/dev/null 2>&1 &
pid=\$!
trap 'kill \$pid 2>/dev/null; wait \$pid 2>/dev/null || true' EXIT
window=\$(timeout 30 xdotool search --sync --name Demo | head -1)
sleep 2
eval "\$(xdotool getwindowgeometry --shell "\$window")"
import -window root "$dir/before.png"
# The page's heading, sought near the window's top-left corner: where the page starts.
convert "$dir/page.png" -crop 300x50+0+10 +repage "$dir/heading.png"
convert "$dir/before.png" -crop 360x140+\$X+\$Y +repage "$dir/near.png"
match=\$(compare -metric AE -subimage-search "$dir/near.png" "$dir/heading.png" "$dir/null.png" 2>&1 | head -1 || true)
[[ "\$match" == "0 @ "* ]] || { echo "the form page is not on the screen (\$match)"; exit 1; }
at=\${match#0 @ }
px=\$((X + \${at%,*})) py=\$((Y + \${at#*,} - 10))
echo "\$px \$py" > "$dir/origin"
xdotool mousemove \$((px + $nx + $nw / 2)) \$((py + $ny + $nh / 2)) click 1
sleep 0.5
xdotool type --delay 50 Ada
xdotool key Tab
sleep 0.3
xdotool key Up
sleep 1
import -window root "$dir/after.png"
EOF
SDL_AUDIODRIVER=dummy timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash "$dir/drive.sh"
read -r px py < "$dir/origin"
# same PICTURE SHOT NAME X Y W H: that part of the page in PICTURE is on the screen in SHOT, pixel for pixel.
same() {
  convert "$1" -crop "$6x$7+$4+$5" +repage "$dir/want.png"
  convert "$2" -crop "$6x$7+$((px + $4))+$((py + $5))" +repage "$dir/got.png"
  local diff
  diff=$(compare -metric AE "$dir/want.png" "$dir/got.png" "$dir/null.png" 2>&1 || true)
  [[ "$diff" == "0" ]] || { echo "$3 at $4,$5: $diff differing pixels"; exit 1; }
}
# Every control where the layout put it: what it shows inside its frame (frames and scroll bars take
# the window's colours in the program; a text area's scroll bar is left out).
n=0
while read -r x y w h; do
  bar=0
  ((h > 40)) && bar=24
  same "$dir/page.png" "$dir/before.png" "control $((n += 1))" $((x + 4)) $((y + 4)) $((w - 8 - bar)) $((h - 8))
done < "$dir/controls"
echo "form controls: $n where the layout put them"
same "$dir/typed.png" "$dir/after.png" "the name box" $((nx + 3)) $((ny + 3)) $((nw - 6)) $((nh - 6))
# Inside the chapter list's frame: the frame itself shows the focus.
same "$dir/typed.png" "$dir/after.png" "the chapter list" $((sx + 4)) $((sy + 4)) $((sw - 8)) $((sh - 8))
echo "typed, Tab, Up: the name box holds the name, the chapter list the first chapter"
echo "form screenshots: ok"
