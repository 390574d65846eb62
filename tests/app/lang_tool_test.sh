#!/usr/bin/env bash
# lumora-lang: every demo translation reads without error and leaves nothing untranslated; a broken file
# gives the reader's own error and status 1; the template lists every window's entries with their IDs.
set -euo pipefail
tool=$1 langs=$2
export SDL_AUDIODRIVER=dummy
for f in "$langs"/*.lng; do
  out=$("$tool" check "$f")
  grep -qx 'Untranslated: none' <<<"$out" || { echo "$f:"; echo "$out"; exit 1; }
  if grep -q '^Unknown' <<<"$out"; then echo "$f:"; echo "$out"; exit 1; fi
done
bad=$(mktemp)
trap 'rm -f "$bad"' EXIT
printf 'LANGID=1049\r\n[$CONSTANTS]\r\n7up=x\r\n' > "$bad"
set +e
out=$("$tool" check "$bad"); status=$?
set -e
[[ $status -eq 1 ]] || { echo "status $status for a broken file"; exit 1; }
[[ "$out" == $'Error: Loading translations failed.\r\nLine 2: Invalid constant name ("7up")' ]] || { echo "got: $out"; exit 1; }
# A FIFO is refused at once instead of waiting for a writer.
fifo=$(mktemp -u)
mkfifo "$fifo"
trap 'rm -f "$bad" "$fifo"' EXIT
set +e
err=$(timeout 20 "$tool" check "$fifo" 2>&1 >/dev/null); status=$?
set -e
[[ $status -eq 1 && "$err" == "lumora-lang: cannot read $fifo: not a regular file" ]] || { echo "FIFO: status $status, $err"; exit 1; }
template=$("$tool" template 2>/dev/null)
for line in '[frmAbout]' 'sLabelFX1.Caption=00000013,Lumora Studio' 'sRadioGroup1.Items=00000058,ID3v1\nID3v2\n' \
            'ToolButton2.Caption=00000012,Back' 'NoSkins=No avalible skins' '[Form2]'; do
  grep -qxF "$line" <<<"$template" || { echo "template lacks: $line"; exit 1; }
done
echo "lumora-lang: ok"
