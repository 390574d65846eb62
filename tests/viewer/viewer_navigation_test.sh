#!/usr/bin/env bash
# A reader's walk through a copy of the demo publication in the real program under a virtual display, with
# the keyboard and the mouse: Tab to a link and Enter follow it and the caption names the new page; Back and
# Next are clicked, work, and are enabled only when there is somewhere to go; a click on a link in the
# contents frame loads its page into the text frame; a link to a missing page shows the error and the reader
# stays on the page.
set -euo pipefail
if [[ -z "${LUMORA_WALK_DISPLAY:-}" ]]; then
  exec env LUMORA_WALK_DISPLAY=1 timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
lumora=$1 html=$2 demo=$3
dir=$(mktemp -d)
pid=
stop() { [[ -z "$pid" ]] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; pid=; }; }
trap 'stop; rm -rf "$dir"' EXIT
source "$(dirname "$0")/../support/demo_copy.sh"
copyDemo "$demo" "$lumora" "$dir"
printf '<HTML><HEAD><TITLE>Broken</TITLE></HEAD><BODY><P><A HREF="nowhere.htm">Not there</A></P></BODY></HTML>' \
  >"$dir/pub/broken.htm"

fail() { echo "$*"; exit 1; }
start() {  # start PAGE: the program on PAGE, its window in $win, its buttons' places in $dir/err
  stop
  openAt "$dir" "$1"
  SDL_AUDIODRIVER=dummy LUMORA_REPORT_COMPONENTS=1 "$dir/pub/lumora" /NoSplash 2>"$dir/err" &
  pid=$!
  for _ in $(seq 100); do grep -q "component ToolButton3" "$dir/err" && break; sleep 0.1; done
  grep -q "component ToolButton3" "$dir/err" || fail "the program did not show its window: $(cat "$dir/err")"
  win=$(xdotool search --name '^Demo' | head -1)
  xdotool windowfocus --sync "$win"
}
caption() { xdotool getwindowname "$win"; }
expectCaption() {  # expectCaption TEXT: the caption becomes TEXT within five seconds
  for _ in $(seq 50); do [[ "$(caption)" == "$1" ]] && return 0; sleep 0.1; done
  fail "caption is \"$(caption)\", expected \"$1\""
}
center() {  # center NAME: the screen point in the middle of the toolbar button NAME
  awk -v n="$1" '$2 == "component" && $3 == n { print int($4 + $6 / 2), int($5 + $7 / 2) }' "$dir/err"
}
click() { xdotool mousemove $1 $2 click 1; }
# button NAME OUT: the picture of the toolbar button NAME as it is now
button() {
  sleep 0.3
  import -window root "$dir/screen.png"
  read -r x y w h < <(awk -v n="$1" '$2 == "component" && $3 == n { print $4, $5, $6, $7 }' "$dir/err")
  convert "$dir/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$2"
}
same() { [[ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" == "0" ]]; }

# Keyboard: the first Tab focuses the first link, Enter follows it.
start index.htm
expectCaption "Demo :: Welcome to the Lumora demo"
button ToolButton2 "$dir/back-off.png"
button ToolButton3 "$dir/next-off.png"
xdotool key --window "$win" Tab Return
expectCaption "Demo :: About this publication"
echo "Tab, Enter: $(caption)"

# Mouse: Back is enabled now and goes back; then Next is enabled and goes forward again.
button ToolButton2 "$dir/back-on.png"
same "$dir/back-off.png" "$dir/back-on.png" && fail "Back is not enabled after following a link"
button ToolButton3 "$dir/next.png"
same "$dir/next-off.png" "$dir/next.png" || fail "Next is enabled with nothing ahead"
click $(center ToolButton2)
expectCaption "Demo :: Welcome to the Lumora demo"
button ToolButton2 "$dir/back.png"
same "$dir/back-off.png" "$dir/back.png" || fail "Back is still enabled at the start of the history"
button ToolButton3 "$dir/next-on.png"
same "$dir/next-off.png" "$dir/next-on.png" && fail "Next is not enabled after going back"
click $(center ToolButton3)
expectCaption "Demo :: About this publication"
echo "Back, Next: ok"

# Frames: a click on "Chapter 2" in the contents frame loads it into the text frame.
start frames.htm
expectCaption "Demo :: A page in frames"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y: where the window sits on the screen
# found PICTURE AREA: where PICTURE fits best in AREA ("0 @ x,y" is a perfect match); a small area keeps it quick.
found() { compare -metric AE -subimage-search "$2" "$1" null: 2>&1 | head -1 || true; }
import -window "$win" "$dir/frames.png"
convert "$dir/frames.png" -crop 300x250+0+30 +repage "$dir/left.png"
"$html" render "$dir/pub/frames/contents.htm" -o "$dir/contents.png" --width 300 --height 200 >/dev/null 2>&1
convert "$dir/contents.png" -crop 120x50+0+0 +repage "$dir/contents-top.png"
match=$(found "$dir/contents-top.png" "$dir/left.png")
[[ "$match" == "0 @ "* ]] || fail "the contents frame is not shown: $match"
IFS=, read -r fx fy <<<"${match#0 @ }"
read -r lx ly < <("$html" layout "$dir/pub/frames/contents.htm" --width 300 |
  sed -n 's/.*"x":\([0-9]*\),"y":\([0-9]*\),.*"text":"Chapter 2".*/\1 \2/p')
click $((X + fx + lx + 20)) $((Y + 30 + fy + ly + 8))
sleep 1
import -window "$win" "$dir/frames2.png"
convert "$dir/frames2.png" -crop 500x250+200+30 +repage "$dir/right.png"
"$html" render "$dir/pub/chapters/chapter2.htm" -o "$dir/chapter.png" --width 600 --height 200 >/dev/null 2>&1
convert "$dir/chapter.png" -crop 150x50+0+0 +repage "$dir/chapter-top.png"
match=$(found "$dir/chapter-top.png" "$dir/right.png")
[[ "$match" == "0 @ "* ]] || fail "the text frame does not show chapter 2: $match"
echo "contents frame link: chapter 2 at $match"

# A missing page: the error names it, and the reader stays on the page with the link.
start broken.htm
expectCaption "Demo :: Broken"
xdotool key --window "$win" Tab Return
for _ in $(seq 50); do grep -q "Can't locate file: " "$dir/err" && break; sleep 0.1; done
grep -q "Lumora Viewer: Can't locate file: .*nowhere.htm$" "$dir/err" || fail "no error for the missing page: $(cat "$dir/err")"
box=$(xdotool search --sync --name '^Lumora Viewer$' | head -1)
[[ -n "$box" ]] || fail "no error box is shown"
xdotool windowfocus --sync "$box" key Return
expectCaption "Demo :: Broken"
echo "missing page: $(grep -o "Can't locate file: .*" "$dir/err")"
echo "navigation: ok"
