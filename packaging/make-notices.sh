#!/usr/bin/env bash
# Writes the notices of what the packaged files carry of other people's work:
# the Windows files link freeglut, the MinGW-w64 runtime and its threads
# library statically. The texts come from where the build took the code:
# freeglut's from the Debian source package the Windows build unpacked (else
# from the installed freeglut package), MinGW-w64's from its Debian package.
# Usage: make-notices.sh BUILD_DIR OUT_FILE
set -euo pipefail
build="$1" out="$2"

freeglut_copying=""
for candidate in "$build"/win64/_deps/freeglut/freeglut-*/COPYING "$build"/win32/_deps/freeglut/freeglut-*/COPYING; do
  [ -f "$candidate" ] && { freeglut_copying="$candidate"; break; }
done

# A licence's text from a machine-readable Debian copyright file: the
# indented lines under the first "License:" line that has any, with their
# leading blank and the " ." blank-line marks undone.
stanza() {  # file, the "License: ..." line
  awk -v first="$2" '$0 == first { on = 1; next }
    on && /^ / { sub(/^ /, ""); if ($0 == ".") $0 = ""; print; printed = 1; next }
    on && printed { exit }
    { on = 0 }' "$1"
}

mingw=/usr/share/doc/mingw-w64-common/copyright
{
  echo "Third-party notices"
  echo "==================="
  echo
  echo "Tarnwell itself is under the MIT licence (see LICENSE). The Windows"
  echo "files (tarnwell.dll, tarnwell.clap, Tarnwell.vst3) contain, linked in"
  echo "statically, the code below. Their notices follow, as their authors ask."
  echo "The Linux files link these libraries from the system instead and carry"
  echo "none of their code."
  echo
  echo
  echo "freeglut (the editor's windowing helpers and bitmap font)"
  echo "---------------------------------------------------------"
  echo
  if [ -n "$freeglut_copying" ]; then
    cat "$freeglut_copying"
  elif [ -f /usr/share/doc/freeglut3-dev/copyright ]; then
    grep -m1 '^Copyright:' /usr/share/doc/freeglut3-dev/copyright | sed 's/^Copyright: *//'
    echo
    stanza /usr/share/doc/freeglut3-dev/copyright "License: MIT/X11"
  else
    echo "make-notices.sh: no freeglut licence text (no unpacked source, no freeglut3-dev)" >&2
    exit 1
  fi
  echo
  echo
  echo "MinGW-w64 runtime (program start-up and C runtime glue)"
  echo "-------------------------------------------------------"
  echo
  [ -f "$mingw" ] || { echo "make-notices.sh: $mingw is missing" >&2; exit 1; }
  echo "Copyright (c) 2009-2016 the mingw-w64 project"
  echo
  stanza "$mingw" "License: ZPL-2.1"
  echo
  echo
  echo "winpthreads (MinGW-w64's POSIX threads library)"
  echo "-----------------------------------------------"
  echo
  echo "Copyright (c) 2011-2016 mingw-w64 project"
  echo
  stanza "$mingw" "License: expat"
  echo
  echo
  echo "GCC runtime libraries (libgcc, libstdc++)"
  echo "-----------------------------------------"
  echo
  echo "Copyright (C) Free Software Foundation, Inc. Under the GNU General Public"
  echo "License version 3 with the GCC Runtime Library Exception, which allows"
  echo "these libraries to be linked into programs under any licence."
} >"$out"
