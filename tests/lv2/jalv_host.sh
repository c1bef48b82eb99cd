#!/bin/bash
# jalv loads the bundle through LV2_PATH on the JACK server CI starts.
#   console: headless (-i: CI has no standard input); notes from jack_midiseq,
#            the outputs recorded must have sound.
#   gtk3:    the editor must show in jalv's window at the instrument's size.
# Both must end cleanly on SIGTERM. Exits 77 (skipped) without JACK or display.
set -u
mode=$1 work=$2 uri=urn:brackmoor:tarnwell
mkdir -p "$work" && rm -f "$work"/*
if [ -z "${JACK_DEFAULT_SERVER:-}" ] || ! timeout 5 jack_lsp >/dev/null 2>&1; then echo "no JACK server: skipped"; exit 77; fi
export JACK_NO_START_SERVER=1
client=tarnwell-lv2-$mode-$$
pids=()
trap 'for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done' EXIT
wait_for_port() {
  for _ in $(seq 1 150); do jack_lsp 2>/dev/null | grep -qx "$1" && return 0; sleep 0.1; done
  return 1
}
finish() {
  kill -TERM "$jalv"
  timeout 10 tail --pid="$jalv" -f /dev/null || { echo "jalv did not end after SIGTERM"; exit 1; }
  wait "$jalv"; local status=$?
  grep -v " = " "$work/jalv.log"
  [ $status -eq 0 ] || { echo "jalv ended with status $status"; exit 1; }
  ! grep -qi "segmentation\|abort\|error" "$work/jalv.log" || { echo "jalv reported trouble"; exit 1; }
}

if [ "$mode" = console ]; then
  jalv -i -x -n "$client" "$uri" </dev/null >"$work/jalv.log" 2>&1 &
  jalv=$!; pids+=($jalv)
  wait_for_port "$client:events" || { echo "jalv's ports never showed"; cat "$work/jalv.log"; exit 1; }
  # A chord's notes one after another, every half second.
  jack_midiseq "$client-seq" 24000 0 60 8000 8000 64 8000 16000 67 8000 >/dev/null 2>&1 &
  pids+=($!)
  wait_for_port "$client-seq:out" && jack_connect "$client-seq:out" "$client:events" || { echo "no sequencer"; exit 1; }
  timeout 20 jack_rec -f "$work/out.wav" -d 2 -b 16 "$client:out_left" "$client:out_right" >/dev/null 2>&1
  peak=$(od -An -t d2 -j 44 -v "$work/out.wav" | awk '{for(i=1;i<=NF;i++){v=$i<0?-$i:$i; if(v>m)m=v}} END{print m+0}')
  finish
  [ "$peak" -gt 100 ] || { echo "no sound from the notes (peak $peak)"; exit 1; }
  echo "jalv played the notes (peak $peak)"
elif [ "$mode" = gtk3 ]; then
  if [ -z "${DISPLAY:-}" ] || ! xwininfo -root >/dev/null 2>&1; then echo "no display: skipped"; exit 77; fi
  jalv.gtk3 -x -n "$client" "$uri" >"$work/jalv.log" 2>&1 &
  jalv=$!; pids+=($jalv)
  shown=""
  for _ in $(seq 1 200); do
    top=$(xwininfo -root -tree 2>/dev/null | awk '/"Tarnwell": \("jalv.gtk3"/ {print $1; exit}')
    [ -n "$top" ] && xwininfo -id "$top" -tree 2>/dev/null | grep -q " 600x600+" && { shown=$top; break; }
    sleep 0.1
  done
  [ -n "$shown" ] || xwininfo -root -tree | grep -A8 '"Tarnwell"'
  finish
  [ -n "$shown" ] || { echo "the editor never showed in jalv's window"; exit 1; }
  echo "jalv.gtk3 showed the editor"
else
  echo "usage: $0 console|gtk3 WORKDIR"; exit 2
fi
