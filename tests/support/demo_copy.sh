# Sourced by the end-to-end scripts: a scratch copy of the demo publication for the real program.

# copyDemo DEMO LUMORA DIR: the demo in DIR/pub, with LUMORA as its program (the build's demo has a link).
copyDemo() {
  cp -r "$1"/. "$3/pub"
  rm -f "$3/pub/lumora"
  cp "$2" "$3/pub/lumora"
}

# openAt DIR [PAGE]: the copy in DIR/pub opens without a skin, its caption "Demo", on PAGE when given.
openAt() {
  if [[ -n "${2:-}" ]]; then
    printf '[Form]\nCaption=Demo\nSkined=0\n[Execute]\nPage=%s\n' "$2" >"$1/pub/lumora.ini"
  else
    printf '[Form]\nCaption=Demo\nSkined=0\n' >"$1/pub/lumora.ini"
  fi
}
