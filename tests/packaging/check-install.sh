#!/usr/bin/env bash
# Checks the packages .ci/package made, as a musician would meet them: the
# Debian package passes lintian, installs with apt-get together with what it
# needs, and every format is then found where it was installed by the tools
# of other projects (lv2ls, Qtractor's and Ardour's plug-in scanners); the
# player answers its version; removing the package leaves nothing of it.
# The per-user archive installs into a scratch home and uninstalls again, and
# the Windows archive holds what its read-me names.
#
# Installs and removes the package system-wide (through sudo unless run as
# root), on a machine where Tarnwell is not installed otherwise; CI runs it
# after the builds.
# Usage: check-install.sh [PACKAGES_DIR]   (default build/packages)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${TARNWELL_BUILD_DIR:-$ROOT/build}"
PACKAGES="${1:-$BUILD/packages}"
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$BUILD/native/CMakeCache.txt" 2>/dev/null || true)"
DEB="$PACKAGES/tarnwell_${VERSION}_amd64.deb"
TARBALL="$PACKAGES/tarnwell-$VERSION-linux-x86_64.tar.gz"
ZIP="$PACKAGES/tarnwell-$VERSION-windows.zip"

failures=0
pass() { printf 'PASS  %s\n' "$*"; }
fail() { printf 'FAIL  %s\n' "$*"; failures=$((failures + 1)); }
show() { sed 's/^/      | /'; }  # indents a tool's own output under its check
check() {  # description, then a command that must succeed
  local what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

[ -n "$VERSION" ] || { echo "no version: configure the native build first"; exit 1; }
for f in "$DEB" "$TARBALL" "$ZIP"; do
  [ -f "$f" ] || { echo "missing $f: run bash .ci/package first"; exit 1; }
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if dpkg-query -W -f='${Status}' tarnwell 2>/dev/null | grep -q 'ok installed'; then
  echo "tarnwell is installed already; remove it first so the check starts clean"; exit 1
fi

SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-check.XXXXXX")"
cleanup() {
  if dpkg-query -W -f='${Status}' tarnwell 2>/dev/null | grep -q 'ok installed'; then
    $SUDO apt-get remove --purge -y -q tarnwell >/dev/null 2>&1 || true
  fi
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

echo "== Debian package $(basename "$DEB") ($(stat -c %s "$DEB") bytes)"
# lintian only grumbles about running as root; its other findings are listed.
lintian_status=0
lintian_out="$(lintian --fail-on error "$DEB" 2>&1)" || lintian_status=$?
lintian_out="$(grep -v 'running with root privileges' <<<"$lintian_out" || true)"
if [ "$lintian_status" -eq 0 ]; then
  pass "lintian: no errors ($(grep -c '^W:' <<<"$lintian_out" || true) warnings)"
else
  fail "lintian reports errors"
fi
[ -n "$lintian_out" ] && show <<<"$lintian_out"

apt_log="$SCRATCH/apt.log"
if $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$DEB" >"$apt_log" 2>&1; then
  pass "apt-get install $(basename "$DEB") (with its dependencies)"
else
  fail "apt-get install"; show <"$apt_log"; exit 1
fi
dpkg-query -W -f='${Depends}\n' tarnwell | sed 's/^/      Depends: /'
dpkg -L tarnwell >"$SCRATCH/files"
while IFS= read -r path; do
  if [ -d "$path" ]; then echo "d $path"; else echo "f $path"; fi
done <"$SCRATCH/files" >"$SCRATCH/kinds"
echo "      $(grep -c '^f ' "$SCRATCH/kinds") files installed"

# LV2: the plug-in's URI as its bundle declares it, found by lilv.
manifest=/usr/lib/lv2/tarnwell.lv2/manifest.ttl
# lilv looks in its default folders, /usr/lib/lv2 among them (with a home of
# its own, so no ~/.lv2 answers instead).
mkdir -p "$SCRATCH/lv2-home"
uris="$(env -u LV2_PATH HOME="$SCRATCH/lv2-home" lv2ls 2>&1 || true)"
found_uri=""
while IFS= read -r uri; do
  [ -n "$uri" ] && [ -f "$manifest" ] && grep -qF "<$uri>" "$manifest" && found_uri="$uri"
done <<<"$uris"
if [ -n "$found_uri" ]; then
  pass "lv2ls lists $found_uri (declared in $manifest)"
  name_line="$(HOME="$SCRATCH/lv2-home" lv2info "$found_uri" 2>/dev/null | grep -m1 -E '^[[:space:]]*Name:' || true)"
  name_line="$(tr -s '[:space:]' ' ' <<<"$name_line" | sed 's/^ //; s/ $//')"
  check "lv2info names it Tarnwell ($name_line)" grep -q 'Tarnwell' <<<"$name_line"
else
  fail "lv2ls lists no plug-in of $manifest"; show <<<"$uris"
fi

# CLAP: Qtractor's own scanner, as Qtractor runs it.
qtractor_out="$(printf 'CLAP:/usr/lib/clap/tarnwell.clap\n' |
  timeout 60 /usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan 2>&1 || true)"
check "Qtractor's scanner lists Tarnwell from /usr/lib/clap/tarnwell.clap" \
  grep -qE '^CLAP\|Tarnwell\|.*\|/usr/lib/clap/tarnwell\.clap\|' <<<"$qtractor_out"
show <<<"$qtractor_out"

# VST3 and VST 2.4: Ardour's scanners, each with private folders of its own,
# must index the plug-in in their caches.
ardour_scan() {  # scanner, plug-in, cache suffix, then the expected record
  local scanner="$1" plugin="$2" suffix="$3" record="$4" home="$SCRATCH/ardour-$3"
  mkdir -p "$home/config" "$home/cache" "$home/data"
  local out
  out="$(HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" \
    LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "/usr/lib/ardour7/$scanner" -f "$plugin" 2>&1 || true)"
  local cache
  cache="$(find "$home/cache" -name "*.$suffix" -print -quit)"
  if [ -n "$cache" ] && grep -q "$record" "$cache"; then
    pass "$scanner indexes $plugin"
    grep -E 'Info |Cache ' "$cache" | sed 's/^[[:space:]]*/      | /'
  else
    fail "$scanner does not index $plugin"; grep -v 'Callback opcode' <<<"$out" | show
  fi
}
ardour_scan ardour-vst3-scanner /usr/lib/vst3/Tarnwell.vst3 v3i 'name="Tarnwell"'
ardour_scan ardour-vst-scanner /usr/lib/vst/tarnwell.so v2i 'name="Tarnwell"'

# The player, found on the PATH.
version_out="$(timeout 20 tarnwell --version 2>&1 || true)"
check "tarnwell --version answers $VERSION ($(command -v tarnwell): \"$version_out\")" \
  grep -qF "$VERSION" <<<"$version_out"
check "menu entry and icon installed" test -f /usr/share/applications/tarnwell.desktop -a \
  -f /usr/share/icons/hicolor/256x256/apps/tarnwell.png
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate accepts the menu entry" desktop-file-validate /usr/share/applications/tarnwell.desktop
fi

# Removal: every file of the package is gone, and so is every folder of its
# own; shared folders such as /usr/lib/vst may stay for other packages.
if $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q tarnwell >"$apt_log" 2>&1; then
  pass "apt-get remove --purge tarnwell"
else
  fail "apt-get remove --purge"; show <"$apt_log"
fi
left=()
while read -r kind path; do
  case "$kind:$path" in
    f:*) [ -e "$path" ] || [ -L "$path" ] && left+=("$path") ;;
    d:*[Tt]arnwell*) [ -e "$path" ] && left+=("$path/") ;;
  esac
done <"$SCRATCH/kinds"
if [ "${#left[@]}" -eq 0 ]; then
  pass "nothing of the package left ($(wc -l <"$SCRATCH/kinds") paths of dpkg -L checked)"
else
  fail "left behind after purge:"; printf '      %s\n' "${left[@]}"
fi
check "dpkg knows no tarnwell any more" bash -c "! dpkg-query -W tarnwell >/dev/null 2>&1"

echo "== Per-user archive $(basename "$TARBALL") ($(stat -c %s "$TARBALL") bytes)"
HOME_DIR="$SCRATCH/home"
mkdir -p "$HOME_DIR"
tar -C "$SCRATCH" -xzf "$TARBALL"
unpacked="$SCRATCH/tarnwell-$VERSION-linux-x86_64"
as_user() { env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$HOME_DIR" PATH="$HOME_DIR/.local/bin:$PATH" "$@"; }
if as_user sh "$unpacked/install.sh" >"$SCRATCH/install.log" 2>&1; then
  pass "install.sh into a scratch home"
else
  fail "install.sh"; show <"$SCRATCH/install.log"
fi
installed=(.vst/tarnwell.so .clap/tarnwell.clap .vst3/Tarnwell.vst3/Contents/x86_64-linux/Tarnwell.so
  .lv2/tarnwell.lv2/manifest.ttl .local/bin/tarnwell .local/share/applications/tarnwell.desktop
  .local/share/icons/hicolor/256x256/apps/tarnwell.png)
missing=()
for f in "${installed[@]}"; do [ -e "$HOME_DIR/$f" ] || missing+=("~/$f"); done
if [ "${#missing[@]}" -eq 0 ]; then pass "installed ~/.vst ~/.clap ~/.vst3 ~/.lv2 ~/.local/bin, menu entry, icon"
else fail "install.sh did not install: ${missing[*]}"; fi
check "menu entry starts ~/.local/bin/tarnwell" grep -qx "Exec=$HOME_DIR/.local/bin/tarnwell" \
  "$HOME_DIR/.local/share/applications/tarnwell.desktop"
user_uris="$(LV2_PATH="$HOME_DIR/.lv2" lv2ls 2>/dev/null || true)"
check "lv2ls finds the LV2 plug-in in ~/.lv2" test -n "$user_uris"
user_version="$(as_user timeout 20 tarnwell --version 2>&1 || true)"
check "tarnwell --version from ~/.local/bin answers $VERSION" grep -qF "$VERSION" <<<"$user_version"

# Settings beside a plug-in stay through an uninstall, and go with --purge.
echo "size 700 700" >"$HOME_DIR/.vst/tarnwell.cfg.txt"
as_user sh "$HOME_DIR/.local/share/tarnwell/uninstall.sh" >"$SCRATCH/uninstall.log" 2>&1 || true
remaining="$(cd "$HOME_DIR" && find . -type f | sort)"
check "uninstall.sh removes everything it installed, keeps ~/.vst/tarnwell.cfg.txt" \
  test "$remaining" = "./.vst/tarnwell.cfg.txt"
[ "$remaining" = "./.vst/tarnwell.cfg.txt" ] || show <<<"$remaining"
as_user sh "$unpacked/install.sh" >/dev/null 2>&1
as_user sh "$HOME_DIR/.local/share/tarnwell/uninstall.sh" --purge >>"$SCRATCH/uninstall.log" 2>&1 || true
remaining="$(cd "$HOME_DIR" && find . -type f | sort)"
check "uninstall.sh --purge leaves no file in the home" test -z "$remaining"
[ -z "$remaining" ] || show <<<"$remaining"

echo "== Windows archive $(basename "$ZIP") ($(stat -c %s "$ZIP") bytes)"
listing="$(unzip -Z1 "$ZIP" | grep -v '/$' | sort)"
expected="$(printf '%s\n' 32-bit/tarnwell.dll 64-bit/Tarnwell.vst3/Contents/x86_64-win/Tarnwell.vst3 \
  64-bit/tarnwell.clap 64-bit/tarnwell.dll LICENSE.txt README.txt THIRD-PARTY-NOTICES.txt | sort)"
check "holds exactly the 64-bit and 32-bit files, read-me, licence and notices" test "$listing" = "$expected"
[ "$listing" = "$expected" ] || diff <(echo "$expected") <(echo "$listing") | show || true
unzip -q -o "$ZIP" README.txt THIRD-PARTY-NOTICES.txt -d "$SCRATCH/zip"
check "read-me in Windows line endings" bash -c "file '$SCRATCH/zip/README.txt' | grep -q CRLF"
check "notices carry freeglut's licence" grep -q 'Pawel W. Olszta' "$SCRATCH/zip/THIRD-PARTY-NOTICES.txt"
for dll in 64-bit/tarnwell.dll 32-bit/tarnwell.dll; do
  unzip -q -o "$ZIP" "$dll" -d "$SCRATCH/zip" 2>/dev/null || true
done
check "64-bit/tarnwell.dll is a 64-bit module, 32-bit/tarnwell.dll a 32-bit one" bash -c \
  "file '$SCRATCH/zip/64-bit/tarnwell.dll' | grep -q x86-64 && file '$SCRATCH/zip/32-bit/tarnwell.dll' | grep -q 'Intel 80386'"

echo
if [ "$failures" -eq 0 ]; then
  echo "Packages: every check passed"
else
  echo "Packages: $failures check(s) FAILED"
  exit 1
fi
