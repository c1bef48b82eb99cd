#!/bin/bash
# Render a fixed phrase of notes through one plug-in in a headless Ardour
# session; the export (32-bit float WAV, 48 kHz, stereo) goes to OUT.wav.
#
#   render-in-ardour.sh vst2|vst3|lv2 NAME-or-URI PLUGIN-DIR OUT.wav
#
# The *.so, *.vst3 or *.lv2 in PLUGIN-DIR are the only plug-ins Ardour sees;
# for lv2, NAME - is the one plug-in the only bundle's manifest.ttl declares.
# Ardour's configuration and caches live in a private work folder.
# Environment: ARDOUR_LUA, ARDOUR_LIBDIR, RENDER_SECONDS, RENDER_KEEP=1, TMPDIR.
#
# The instrument's LFOs and control tick run on with every sample, and Ardour
# renders a stretch before sample 0 (its fixed export pre-roll, plus any
# real-time cycle that slips in before the export takes the engine over).
# That count goes to OUT.wav.preroll; two renders can match only when their
# pre-rolls do. With RENDER_PREROLL=N the render is repeated until it is N.
set -u
usage() { echo "usage: $0 vst2|vst3|lv2 NAME-or-URI PLUGIN-DIR OUT.wav" >&2; exit 2; }
[ $# -eq 4 ] || usage
kind=$1 name=$2 plugin_dir=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
ardour_lua=${ARDOUR_LUA:-$(command -v ardour7-lua)}
libdir=${ARDOUR_LIBDIR:-/usr/lib/ardour7}
[ -n "$ardour_lua" ] && [ -x "$ardour_lua" ] || { echo "render-in-ardour: no ardour7-lua" >&2; exit 2; }
plugin_dir=$(cd "$plugin_dir" && pwd) || exit 2
case $out in /*) ;; *) out=$PWD/$out ;; esac
case $kind in
vst2) type=LXVST ext=so path=LXVST_PATH scanner=ardour-vst-scanner ;;
vst3) type=VST3 ext=vst3 path=VST3_PATH scanner=ardour-vst3-scanner ;;
lv2) type=LV2 ext=lv2 path=LV2_PATH scanner= ;;
*) usage ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/ardour-render.XXXXXX") || exit 1
trap '[ "${RENDER_KEEP:-0}" = 1 ] && echo "render-in-ardour: kept $work" >&2 || rm -rf "$work"' EXIT
# The instrument's settings (learned controllers) must not leak in either.
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache TARNWELL_SETTINGS_DIR=$work/settings
mkdir -p "$XDG_CONFIG_HOME/ardour7/scripts" "$XDG_CONFIG_HOME/ardour7/export" "$XDG_CACHE_HOME" \
  "$TARNWELL_SETTINGS_DIR" "$work/plugins" "$work/export"
cp "$here/tarnwell_test_phrase.lua" "$XDG_CONFIG_HOME/ardour7/scripts/"
cp "$here/tarnwell-float.format" "$here/tarnwell-float.preset" "$XDG_CONFIG_HOME/ardour7/export/"
preset=$(sed -n 's/.*<ExportPreset id="\([^"]*\)".*/\1/p' "$here/tarnwell-float.preset")

unset LXVST_PATH VST_PATH VST3_PATH LV2_PATH
shopt -s nullglob
plugins=("$plugin_dir"/*.$ext)
[ ${#plugins[@]} -gt 0 ] || { echo "render-in-ardour: no *.$ext in $plugin_dir" >&2; exit 2; }
for p in "${plugins[@]}"; do
  ln -s "$p" "$work/plugins/"
  [ -n "$scanner" ] || continue
  # Ardour takes a scanner's cache entry only if the module is older than the
  # cache file, in whole seconds: right after a build, wait a second.
  while [ "$(stat -c %Y "$p")" -ge "$(date +%s)" ]; do sleep 0.2; done
  LD_LIBRARY_PATH=$libdir "$libdir/$scanner" -f "$work/plugins/$(basename "$p")" 2>&1 | grep -v 'Callback opcode = .* (ignored)'
  [ "${PIPESTATUS[0]}" -eq 0 ] || echo "render-in-ardour: $scanner failed on $p" >&2
done
export "$path=$work/plugins"
if [ "$kind" = lv2 ] && [ "$name" = - ]; then
  [ ${#plugins[@]} -eq 1 ] || { echo "render-in-ardour: NAME - needs exactly one bundle" >&2; exit 2; }
  # As N-Triples every statement is one line, whatever the Turtle looks like.
  name=$(serdi -i turtle -o ntriples "${plugins[0]}/manifest.ttl" 2>/dev/null |
    sed -n 's|^<\([^>]*\)> <http://www.w3.org/1999/02/22-rdf-syntax-ns#type> <http://lv2plug.in/ns/lv2core#Plugin> \.$|\1|p')
  [ -n "$name" ] && [ "$(printf '%s\n' "$name" | wc -l)" -eq 1 ] ||
    { echo "render-in-ardour: the manifest declares no single plug-in" >&2; exit 2; }
fi

# A fresh process is tried when Ardour 7.3 fails to build the track's ports
# (it cannot recover in the same process: exit code 3), when it crashes
# before the export is done, and when the pre-roll is not the one asked for.
# A crash in the teardown after the export leaves a complete file.
frames=$((${RENDER_SECONDS:-3} * 48000))
for attempt in 1 2 3 4 5 6 7 8; do
  rm -rf "$work/session" "$work/export"/*
  echo "render-in-ardour: $type $name, attempt $attempt"
  timeout 120 "$ardour_lua" "$here/render-session.lua" "$type" "$name" "$work/session" "$work/export" \
    "$frames" "$preset" >"$work/ardour.log" 2>&1
  status=$?
  grep -v "^\[ERROR\]: Ignored format .*encoder is not available" "$work/ardour.log"
  preroll=$(sed -n 's/^RENDER-PREROLL samples=\([0-9]*\).*/\1/p' "$work/ardour.log")
  if grep -q '^RENDER-PHRASE' "$work/ardour.log" && ! grep -q '^RENDER-FAILED' "$work/ardour.log"; then
    [ -z "${RENDER_PREROLL:-}" ] || [ "$preroll" = "$RENDER_PREROLL" ] && break
  elif [ $status -ne 3 ] && [ $status -lt 128 ]; then
    echo "render-in-ardour: no export (status $status)" >&2
    exit 1
  fi
  preroll=
done
[ -n "$preroll" ] || { echo "render-in-ardour: no render with the pre-roll ${RENDER_PREROLL:-}" >&2; exit 1; }
wavs=("$work/export"/*.wav)
[ ${#wavs[@]} -eq 1 ] || { echo "render-in-ardour: ${#wavs[@]} WAVs in the export folder, not one" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
mv "${wavs[0]}" "$out" && echo "$preroll" >"$out.preroll" && echo "render-in-ardour: wrote $out (pre-roll $preroll)"
