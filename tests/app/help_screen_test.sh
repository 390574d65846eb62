#!/usr/bin/env bash
# The real program under a virtual display, in a copy of the demo publication: the toolbar's Help opens
# the help window on the help file's first topic, and the settings dialog's Help on "importskin"; each
# topic's heading is found in the screenshot exactly as `lumora-html render` paints the topic's source; the
# tray menu hides the window and restores it.
set -euo pipefail
lumora=$1 html=$2 demo=$3 sources=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/../support/demo_copy.sh"
copyDemo "$demo" "$lumora" "$dir"
openAt "$dir"
check() {  # check "BUTTONS" TOPIC
  rm -f "$dir/shot.png"
  SDL_AUDIODRIVER=dummy LUMORA_SCREENSHOT="$dir/shot.png" LUMORA_SCREENSHOT_CLICK="$1" timeout 60 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$dir/pub/lumora" /NoSplash >/dev/null 2>&1 || true
  [[ -s "$dir/shot.png" ]] || { echo "no screenshot after clicking $1"; exit 1; }
  "$html" render "$sources/$2" -o "$dir/topic.png" --width 560 --height 200 >/dev/null 2>&1
  convert "$dir/topic.png" -crop 280x50+0+0 +repage "$dir/heading.png"
  # Without a window manager the help window opens at the screen's top left.
  convert "$dir/shot.png" -crop 600x160+180+0 +repage "$dir/area.png"
  local match
  match=$(compare -metric AE -subimage-search "$dir/area.png" "$dir/heading.png" "$dir/null.png" 2>&1 | head -1 || true)
  echo "$1 -> $2: $match"
  [[ "$match" == "0 @ "* ]] || { cp "$dir/shot.png" "/tmp/help-screen-$2.png"; echo "$2 is not shown (see /tmp/help-screen-$2.png)"; exit 1; }
}
check ToolButton9 welcome.htm
check "ToolButton7 sButton3" importskin.htm

# The tray menu's Hide leaves nothing of the program on the screen (the virtual screen is black), its Restore
# brings the window back.
tray() {  # tray "ITEMS": the largest colour value on the screen afterwards
  rm -f "$dir/shot.png"
  SDL_AUDIODRIVER=dummy LUMORA_SCREENSHOT="$dir/shot.png" LUMORA_SCREENSHOT_CLICK="$1" timeout 60 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$dir/pub/lumora" /NoSplash >/dev/null 2>&1 || true
  [[ -s "$dir/shot.png" ]] || { echo "no screenshot after $1"; exit 1; }
  convert "$dir/shot.png" -format "%[fx:maxima]" info:
}
[[ "$(tray HideItem)" == "0" ]] || { echo "the window is still on the screen after Hide"; exit 1; }
[[ "$(tray "HideItem RestoreItem")" != "0" ]] || { echo "the window did not come back after Restore"; exit 1; }
echo "tray menu: Hide and Restore"
echo "help screenshots: ok"
