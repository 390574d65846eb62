#!/usr/bin/env bash
# The real program, copied alone into a folder with a start page, as a publisher does: it starts under a
# virtual display, shows its window, and on close writes the fifteen settings keys beside itself.
set -euo pipefail
lumora=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$lumora" "$dir/lumora"
printf '<HTML><HEAD><TITLE>Demo</TITLE></HEAD><BODY><P>Hello</P></BODY></HTML>' > "$dir/index.htm"

LUMORA_SCREENSHOT="$dir/shot.png" timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$dir/lumora" /NoSplash

[[ -s "$dir/shot.png" ]] || { echo "no screenshot"; exit 1; }
size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$dir/shot.png")
[[ "$size" == "778 573" ]] || { echo "window size $size, expected 778 573"; exit 1; }

expected='[Form]
Caption=Lumora версия 2.1
ShowCaptions=1
Mode=0
Skined=0
SkinFile=Ошибка
NoSplash=0
LangID=0
[Player]
Active=0
Volume=100
[Execute]
Device=1
PlayBackground=0
BGPlay=
LoopMusic=1
ReadID3v=0
[Safety]
BlockConfig=0'
actual=$(cat "$dir/lumora.ini")
if [[ "$actual" != "$expected" ]]; then
  echo "lumora.ini differs:"; diff <(echo "$expected") <(echo "$actual"); exit 1
fi
ls -A "$dir" | sort | tr '\n' ' ' | grep -qx 'index.htm lumora lumora.ini shot.png ' || { echo "unexpected files: $(ls -A "$dir")"; exit 1; }

# In CD mode the same run leaves the settings file byte for byte as it was.
printf '[Form]\r\nMode=1\r\n' > "$dir/lumora.ini"
before=$(sha256sum < "$dir/lumora.ini")
LUMORA_SCREENSHOT="$dir/shot.png" timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$dir/lumora" /NoSplash
[[ "$(sha256sum < "$dir/lumora.ini")" == "$before" ]] || { echo "CD mode changed lumora.ini"; exit 1; }
echo "publication folder run: ok"
