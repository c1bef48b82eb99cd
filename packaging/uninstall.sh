#!/bin/sh
# Removes what install.sh installed for this user, as it wrote it down.
# Settings files (MIDI-learn bindings, editor size) beside the plug-ins stay
# unless --purge is given; those inside the VST3 and LV2 bundles go with them.
set -eu

purge=0
case "${1:-}" in
  --purge) purge=1 ;;
  "") ;;
  *) echo "usage: $0 [--purge]" >&2; exit 2 ;;
esac

data="${XDG_DATA_HOME:-$HOME/.local/share}"
record_dir="$data/tarnwell"
record="$record_dir/installed-files"
if [ ! -f "$record" ]; then
  echo "Tarnwell is not installed for $(id -un) (no $record)." >&2
  exit 1
fi

while IFS= read -r path; do
  case "$path" in
    "$HOME"/*) ;;
    *) echo "skipping $path: not in $HOME" >&2; continue ;;
  esac
  [ -e "$path" ] || [ -L "$path" ] || continue
  # Settings kept beside a plug-in stay unless asked for.
  folder="$(dirname "$path")"
  if [ "$purge" -eq 1 ] && [ -f "$folder/tarnwell.cfg.txt" ]; then
    rm -f "$folder/tarnwell.cfg.txt"
    echo "removed $folder/tarnwell.cfg.txt"
  fi
  rm -rf "$path"
  echo "removed $path"
done <"$record"

if [ "$purge" -eq 1 ]; then
  config="${XDG_CONFIG_HOME:-$HOME/.config}/tarnwell"
  if [ -d "$config" ]; then rm -rf "$config"; echo "removed $config"; fi
fi
rm -f "$record" "$record_dir/uninstall.sh"
rmdir "$record_dir" 2>/dev/null || true
if [ "$purge" -eq 0 ]; then
  echo "Tarnwell removed. Settings files (tarnwell.cfg.txt) beside the plug-ins stay; \"$0 --purge\" removes them."
else
  echo "Tarnwell and its settings removed."
fi
