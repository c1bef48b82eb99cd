#!/bin/bash
# jalv, Debian's JACK host for one LV2 plug-in, loads the bundle through
# LV2_PATH from the JACK server CI starts.
#   console: headless (-i, as CI has no standard input); plays notes from
#            jack_midiseq, records the outputs, must hear sound and end
#            cleanly on SIGTERM.
#   gtk3:    under the X server CI starts; the editor must show in jalv's
#            window at the instrument's size.
# Exits 77 (skipped) without a JACK server or display to use.
set -u
mode=$1
work=$2
uri=urn:brackmoor:tarnwell
mkdir -p "$work"
rm -f "$work"/*

if [ -z "${JACK_DEFAULT_SERVER:-}" ] || ! timeout 5 jack_lsp >/dev/null 2>&1; then
  echo "no JACK server (JACK_DEFAULT_SERVER='${JACK_DEFAULT_SERVER:-}'): skipped"
  exit 77
fi
export JACK_NO_START_SERVER=1
client=tarnwell-lv2-$mode-$$
pids=()
cleanup() { for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done; }
trap cleanup EXIT

wait_for_port() {
  for _ in $(seq 1 150); do
    jack_lsp 2>/dev/null | grep -qx "$1" && return 0
    sleep 0.1
  done
  return 1
}

finish() {
  # SIGTERM, as a session manager or CI ends it: jalv must leave on its own.
  kill -TERM "$jalv"
  local rc=0
  timeout 10 tail --pid="$jalv" -f /dev/null || rc=1
  wait "$jalv"; local status=$?
  echo "--- jalv printed:"; grep -v " = " "$work/jalv.log" | sed 's/^/    /'
  echo "    ($(grep -c " = " "$work/jalv.log") control values listed)"
  if [ $rc -ne 0 ]; then echo "jalv did not end after SIGTERM"; exit 1; fi
  if [ $status -ne 0 ]; then echo "jalv ended with status $status"; exit 1; fi
  if grep -qi "segmentation\|abort\|error" "$work/jalv.log"; then echo "jalv reported trouble"; exit 1; fi
}

if [ "$mode" = console ]; then
  jalv -i -x -n "$client" "$uri" </dev/null >"$work/jalv.log" 2>&1 &
  jalv=$!; pids+=($jalv)
  wait_for_port "$client:events" || { echo "jalv's ports never showed"; cat "$work/jalv.log"; exit 1; }
  # A chord's notes, one after another, looping every half second.
  jack_midiseq "$client-seq" 24000 0 60 8000 8000 64 8000 16000 67 8000 >/dev/null 2>&1 &
  pids+=($!)
  wait_for_port "$client-seq:out" || { echo "no sequencer"; exit 1; }
  jack_connect "$client-seq:out" "$client:events" || exit 1
  timeout 20 jack_rec -f "$work/out.wav" -d 2 -b 16 "$client:out_left" "$client:out_right" >/dev/null 2>&1
  peak=$(od -An -t d2 -j 44 -v "$work/out.wav" | awk '{for(i=1;i<=NF;i++){v=$i<0?-$i:$i; if(v>m)m=v}} END{print m+0}')
  echo "recorded $(($(stat -c %s "$work/out.wav") - 44)) bytes, peak $peak of 32767"
  finish
  [ "$peak" -gt 100 ] || { echo "no sound from the notes"; exit 1; }
  echo "jalv played the notes"
  exit 0
fi

if [ "$mode" = gtk3 ]; then
  if [ -z "${DISPLAY:-}" ] || ! xwininfo -root >/dev/null 2>&1; then echo "no display: skipped"; exit 77; fi
  jalv.gtk3 -x -n "$client" "$uri" >"$work/jalv.log" 2>&1 &
  jalv=$!; pids+=($jalv)
  shown=""
  for _ in $(seq 1 200); do
    top=$(xwininfo -root -tree 2>/dev/null | awk '/"Tarnwell": \("jalv.gtk3"/ {print $1; exit}')
    if [ -n "$top" ] && xwininfo -id "$top" -tree 2>/dev/null | grep -q " 600x600+"; then shown=$top; break; fi
    sleep 0.1
  done
  echo "--- xwininfo -root -tree (jalv's windows):"
  xwininfo -root -tree | grep -A8 '"Tarnwell"' | sed 's/^/    /'
  finish
  [ -n "$shown" ] || { echo "the editor never showed in jalv's window"; exit 1; }
  echo "jalv.gtk3 showed the editor"
  exit 0
fi
echo "usage: $0 console|gtk3 WORKDIR"; exit 2
