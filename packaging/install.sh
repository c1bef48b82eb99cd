#!/bin/sh
# Installs Tarnwell for the user running it: each plug-in into the folder
# Linux hosts scan in the home folder, the JACK program into ~/.local/bin with
# a menu entry. What it installs is written down so that uninstall.sh removes
# exactly that, even after this folder is gone.
set -eu

here="$(cd "$(dirname "$0")" && pwd)"
data="${XDG_DATA_HOME:-$HOME/.local/share}"
record_dir="$data/tarnwell"
record="$record_dir/installed-files"

# Folder in this archive, and where its contents go.
places="vst:$HOME/.vst
clap:$HOME/.clap
vst3:$HOME/.vst3
lv2:$HOME/.lv2
bin:$HOME/.local/bin
share/applications:$data/applications
share/icons/hicolor/256x256/apps:$data/icons/hicolor/256x256/apps"

mkdir -p "$record_dir"
: >"$record.new"
echo "$places" | while IFS=: read -r from to; do
  [ -d "$here/$from" ] || continue
  for item in "$here/$from"/*; do
    [ -e "$item" ] || continue
    name="$(basename "$item")"
    mkdir -p "$to"
    # A bundle is replaced whole, so nothing of an older version stays in it;
    # only the settings file a plug-in kept inside its bundle moves over.
    kept=""
    if [ -d "$to/$name" ]; then
      kept="$(mktemp -d)"
      (cd "$to/$name" && find . -name tarnwell.cfg.txt -exec cp --parents {} "$kept" \;)
    fi
    rm -rf "${to:?}/$name"
    cp -R "$item" "$to/$name"
    if [ -n "$kept" ]; then
      (cd "$kept" && find . -name tarnwell.cfg.txt -exec cp --parents {} "$to/$name" \;)
      rm -rf "$kept"
    fi
    echo "$to/$name" >>"$record.new"
    echo "installed $to/$name"
  done
done

# The menu entry starts the program by its full path: ~/.local/bin is not on
# every desktop session's PATH.
entry="$data/applications/tarnwell.desktop"
if [ -f "$entry" ]; then
  sed "s|^Exec=tarnwell|Exec=$HOME/.local/bin/tarnwell|" "$entry" >"$entry.new" && mv "$entry.new" "$entry"
fi

cp "$here/uninstall.sh" "$record_dir/uninstall.sh"
chmod 755 "$record_dir/uninstall.sh"
mv "$record.new" "$record"

case ":$PATH:" in
  *":$HOME/.local/bin:"*) ;;
  *) echo "note: $HOME/.local/bin is not on your PATH; start the program as $HOME/.local/bin/tarnwell" ;;
esac
echo "Done. Let your host scan for plug-ins again. To remove Tarnwell: $record_dir/uninstall.sh"
