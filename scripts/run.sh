#!/usr/bin/env bash
# The run command: installs what is missing, builds the reader and its tools, and opens the demo publication
# in lumora.
# Without a display it runs under xvfb-run, saves a screenshot of the main window and prints its path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DLUMORA_BUILD_TESTS=OFF -DLUMORA_BUILD_BENCH=OFF >/dev/null
# The reader, the tools the README lists beside it, and the demo publication.
cmake --build build/release -j"$(nproc)" --target lumora lumora-html lumora-zip lumora-image lumora-audio lumora-lang lumora-skin demo_publication

# A publication is a folder with the executable in it: the demo gets a link to the freshly built one.
pub="$top/build/release/demo"
ln -sf "$top/build/release/bin/lumora" "$pub/lumora"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$pub/lumora" "$@"
fi
shot="$top/build/release/lumora-screenshot.png"
rm -f "$shot"
# A machine without a display usually has no sound card either: SDL's silent driver keeps the player going.
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} LUMORA_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 1280x800x24" "$pub/lumora" /NoSplash "$@"
[[ -f "$shot" ]] || { echo "no screenshot was taken" >&2; exit 1; }
echo "$shot"
