#!/bin/bash
# Render a fixed phrase of notes through one plug-in in a headless Ardour
# session and write the export (32-bit float WAV, 48 kHz, stereo) to OUT.wav.
#
#   render-in-ardour.sh TYPE NAME-or-URI PLUGIN-DIR OUT.wav
#
# TYPE is vst2 (Linux VST 2.4, the *.so in PLUGIN-DIR), vst3 (the *.vst3
# bundles in PLUGIN-DIR) or lv2 (the *.lv2 bundles in PLUGIN-DIR; NAME is
# then the plug-in's URI, or - for the one plug-in the manifest.ttl of the
# only bundle declares). Ardour's configuration, caches and session live in
# a private work folder, so nothing of the user's Ardour is read or changed.
# Environment: ARDOUR_LUA (default: ardour7-lua on PATH), ARDOUR_LIBDIR
# (default /usr/lib/ardour7), RENDER_SECONDS (default 3), RENDER_KEEP=1 keeps
# the work folder, TMPDIR, and RENDER_PREROLL (below).
#
# The instrument's LFOs and control tick run on with every sample it renders,
# and Ardour renders a stretch with the transport stopped before an export
# starts: its fixed export pre-roll plus the real-time cycles that come before
# the export takes over the engine, which vary with the machine's load. So the
# render's "pre-roll" (samples the instrument rendered before sample 0) is
# written to OUT.wav.preroll, and two renders can have the same samples only
# when their pre-rolls agree. With RENDER_PREROLL=N the render is repeated
# (at most eight times) until its pre-roll is N.
set -u

usage() { echo "usage: $0 vst2|vst3|lv2 NAME-or-URI PLUGIN-DIR OUT.wav" >&2; exit 2; }
[ $# -eq 4 ] || usage
kind=$1 name=$2 plugin_dir=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
ardour_lua=${ARDOUR_LUA:-$(command -v ardour7-lua)}
libdir=${ARDOUR_LIBDIR:-/usr/lib/ardour7}
seconds=${RENDER_SECONDS:-3}
[ -n "$ardour_lua" ] && [ -x "$ardour_lua" ] || { echo "render-in-ardour: no ardour7-lua" >&2; exit 2; }
[ -d "$plugin_dir" ] || { echo "render-in-ardour: no folder $plugin_dir" >&2; exit 2; }
plugin_dir=$(cd "$plugin_dir" && pwd)
case $out in /*) ;; *) out=$PWD/$out ;; esac

work=$(mktemp -d "${TMPDIR:-/tmp}/ardour-render.XXXXXX") || exit 1
cleanup() { [ "${RENDER_KEEP:-0}" = 1 ] && echo "render-in-ardour: work folder kept: $work" >&2 || rm -rf "$work"; }
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
# The instrument's settings file (learned controllers and the like) must not
# leak in from the build folder or the user.
export TARNWELL_SETTINGS_DIR=$work/settings
mkdir -p "$XDG_CONFIG_HOME/ardour7/scripts" "$XDG_CONFIG_HOME/ardour7/export" "$XDG_CACHE_HOME" \
  "$TARNWELL_SETTINGS_DIR" "$work/plugins" "$work/export"
cp "$here/tarnwell_test_phrase.lua" "$XDG_CONFIG_HOME/ardour7/scripts/"
cp "$here/tarnwell-float.format" "$here/tarnwell-float.preset" "$XDG_CONFIG_HOME/ardour7/export/"
preset=$(sed -n 's/.*<ExportPreset id="\([^"]*\)".*/\1/p' "$here/tarnwell-float.preset")

# Only the plug-ins under test are in the search paths Ardour gets.
unset LXVST_PATH VST_PATH VST3_PATH LV2_PATH
shopt -s nullglob
scanner_failed=0
case $kind in
vst2)
  type=LXVST
  modules=("$plugin_dir"/*.so)
  [ ${#modules[@]} -gt 0 ] || { echo "render-in-ardour: no *.so in $plugin_dir" >&2; exit 2; }
  # Ardour takes a scanner's cache entry only if the module is older than the
  # cache file, counted in whole seconds: right after a build, wait a second.
  for m in "${modules[@]}"; do
    while [ "$(stat -c %Y "$m")" -ge "$(date +%s)" ]; do sleep 0.2; done
  done
  for m in "${modules[@]}"; do
    ln -s "$m" "$work/plugins/"
    echo "render-in-ardour: ardour-vst-scanner $(basename "$m")"
    LD_LIBRARY_PATH=$libdir "$libdir/ardour-vst-scanner" -f "$work/plugins/$(basename "$m")" 2>&1 \
      | grep -v 'Callback opcode = .* (ignored)' || true
    [ "${PIPESTATUS[0]}" -eq 0 ] || scanner_failed=1
  done
  export LXVST_PATH=$work/plugins ;;
vst3)
  type=VST3
  bundles=("$plugin_dir"/*.vst3)
  [ ${#bundles[@]} -gt 0 ] || { echo "render-in-ardour: no *.vst3 in $plugin_dir" >&2; exit 2; }
  for b in "${bundles[@]}"; do
    ln -s "$b" "$work/plugins/"
    echo "render-in-ardour: ardour-vst3-scanner $(basename "$b")"
    LD_LIBRARY_PATH=$libdir "$libdir/ardour-vst3-scanner" -f "$work/plugins/$(basename "$b")" 2>&1
    [ "${PIPESTATUS[0]}" -eq 0 ] || scanner_failed=1
  done
  export VST3_PATH=$work/plugins ;;
lv2)
  type=LV2
  bundles=("$plugin_dir"/*.lv2)
  [ ${#bundles[@]} -gt 0 ] || { echo "render-in-ardour: no *.lv2 in $plugin_dir" >&2; exit 2; }
  for b in "${bundles[@]}"; do ln -s "$b" "$work/plugins/"; done
  if [ "$name" = - ]; then
    [ ${#bundles[@]} -eq 1 ] || { echo "render-in-ardour: NAME - needs exactly one bundle" >&2; exit 2; }
    # As N-Triples every statement is one line, whatever the Turtle looks like.
    name=$(serdi -i turtle -o ntriples "${bundles[0]}/manifest.ttl" 2>/dev/null |
      sed -n 's|^<\([^>]*\)> <http://www.w3.org/1999/02/22-rdf-syntax-ns#type> <http://lv2plug.in/ns/lv2core#Plugin> \.$|\1|p')
    [ -n "$name" ] && [ "$(printf '%s\n' "$name" | wc -l)" -eq 1 ] ||
      { echo "render-in-ardour: ${bundles[0]}/manifest.ttl declares no single plug-in" >&2; exit 2; }
    echo "render-in-ardour: the manifest declares $name"
  fi
  export LV2_PATH=$work/plugins ;;
*) usage ;;
esac
[ $scanner_failed -eq 0 ] || echo "render-in-ardour: a scanner failed (see above)" >&2

# A fresh process is tried when Ardour 7.3 fails to build the track's ports
# (it cannot recover in the same process; the session script ends with code
# 3), when it crashes before the export is done, and when the pre-roll is not
# the one asked for. Each is shown.
frames=$((seconds * 48000))
status=1
preroll=
exported=0
for attempt in 1 2 3 4 5 6 7 8; do
  rm -rf "$work/session" "$work/export"/*
  echo "render-in-ardour: $(basename "$ardour_lua") render-session.lua $type $name (attempt $attempt)"
  timeout 120 "$ardour_lua" "$here/render-session.lua" "$type" "$name" "$work/session" "$work/export" \
    "$frames" "$preset" >"$work/ardour.log" 2>&1
  status=$?
  grep -v -e "^\[ERROR\]: Ignored format .*encoder is not available" "$work/ardour.log"
  exported=0
  grep -q '^RENDER-PHRASE' "$work/ardour.log" && ! grep -q '^RENDER-FAILED' "$work/ardour.log" && exported=1
  if [ $exported -eq 0 ]; then
    [ $status -eq 3 ] && continue
    if [ $status -ge 128 ]; then
      echo "render-in-ardour: ardour7-lua CRASHED before the export was done (status $status): again"
      continue
    fi
    break
  fi
  # Past the export only Ardour's own teardown runs (the script skips most of
  # it); a crash there leaves a complete, closed file, so it is shown and the
  # render kept.
  [ $status -eq 0 ] || echo "render-in-ardour: ardour7-lua CRASHED after a complete export (status $status)"
  preroll=$(sed -n 's/^RENDER-PREROLL samples=\([0-9]*\).*/\1/p' "$work/ardour.log")
  [ -z "${RENDER_PREROLL:-}" ] || [ "$preroll" = "$RENDER_PREROLL" ] && break
  echo "render-in-ardour: pre-roll $preroll, not the $RENDER_PREROLL asked for: again"
  exported=0
  status=5
done
if [ $exported -eq 0 ]; then
  if [ $status -eq 5 ]; then
    echo "render-in-ardour: no render with the pre-roll $RENDER_PREROLL" >&2
  else
    echo "render-in-ardour: no export (ardour7-lua exit status $status)" >&2
  fi
  exit 1
fi
wavs=("$work/export"/*.wav)
[ ${#wavs[@]} -eq 1 ] || { echo "render-in-ardour: expected one WAV in the export folder, found ${#wavs[@]}" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
mv "${wavs[0]}" "$out" && echo "$preroll" >"$out.preroll" && echo "render-in-ardour: wrote $out (pre-roll $preroll)"
