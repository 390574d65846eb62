#!/usr/bin/env bash
# The real program under a virtual display, in a copy of the demo publication: started with each demo skin
# and with skinning off, its toolbar shows each skin's colour; resting the mouse on a toolbar button shows
# the balloon hint. The screenshots stay in SHOTS (default: a scratch folder) to be looked at.
set -euo pipefail
lumora=$1 demo=$2 shots=${3:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
[[ -n "$shots" ]] || shots="$dir/shots"
mkdir -p "$shots"
cp -r "$demo"/. "$dir/pub"
cp "$lumora" "$dir/pub/lumora"
run() {  # run NAME SKINED SKIN [HOVER]
  printf '[Form]\nCaption=Demo\nSkined=%s\nSkinFile=%s\nShowCaptions=1\n[Player]\nActive=1\n[Execute]\nPage=index.htm\n' "$2" "$3" > "$dir/pub/lumora.ini"
  SDL_AUDIODRIVER=dummy LUMORA_SCREENSHOT="$shots/$1.png" LUMORA_SCREENSHOT_HOVER="${4:-}" \
    timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$dir/pub/lumora" /NoSplash >/dev/null 2>&1 || true
  [[ -s "$shots/$1.png" ]] || { echo "no screenshot for $1"; exit 1; }
}
# The colour of one pixel as #RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1; }

run plain 0 Aurora
run aurora 1 Aurora
run midnight 1 Midnight
run builtin 1 "Ошибка"
# The toolbar's empty right end, 10 pixels down.
plain=$(pixel "$shots/plain.png" 770 10)
aurora=$(pixel "$shots/aurora.png" 770 10)
midnight=$(pixel "$shots/midnight.png" 770 10)
builtin=$(pixel "$shots/builtin.png" 770 10)
echo "toolbar: plain $plain, Aurora $aurora, Midnight $midnight, built-in $builtin"
[[ "$plain" == "#D9E8ED" ]] || { echo "the platform look's toolbar is $plain"; exit 1; }
# Aurora tiles its picture (a green band), Midnight's toolbar is slate, the built-in skin a light blue-grey
# gradient.
green=$((16#${aurora:3:2})); red=$((16#${aurora:1:2}))
(( green > red )) || { echo "Aurora's toolbar is not green: $aurora"; exit 1; }
(( 16#${midnight:5:2} > 16#${midnight:1:2} && 16#${midnight:1:2} < 0x90 )) || { echo "Midnight's toolbar is not slate: $midnight"; exit 1; }
[[ "$builtin" != "$plain" && "$builtin" != "$aurora" ]] || { echo "the built-in skin looks like another: $builtin"; exit 1; }
# The dark skin's status bar.
status=$(pixel "$shots/midnight.png" 400 565)
(( 16#${status:1:2} < 0x40 && 16#${status:3:2} < 0x40 )) || { echo "Midnight's status bar is not dark: $status"; exit 1; }

# A rest on "Main page": the pale yellow balloon below and right of the mouse.
run hover 1 Aurora ToolButton1
yellow=$(convert "$shots/hover.png" -fuzz 8% -fill black +opaque '#FCFCC2' -fill white -opaque '#FCFCC2' -format '%[fx:mean*w*h]' info:)
echo "balloon pixels: $yellow"
(( ${yellow%.*} > 2000 )) || { echo "no balloon on the screenshot"; exit 1; }
echo "skin screenshots: ok ($shots)"
