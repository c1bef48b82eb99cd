#!/usr/bin/env bash
# Checks the packages .ci/package made as a musician meets them: the Debian
# package passes lintian, installs with apt-get, every format is found by the
# tools of other projects, and purging leaves nothing; the per-user archive
# installs into a scratch home and uninstalls; the Windows archive holds what
# its read-me names. Installs system-wide (sudo unless root); CI runs it
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
show() { sed 's/^/      | /'; }
check() {  # description, then a command that must succeed; fails as it does
  local what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; return 1; fi
}
installed() { dpkg-query -W -f='${Status}' tarnwell 2>/dev/null | grep -q 'ok installed'; }

[ -n "$VERSION" ] || { echo "no version: configure the native build first"; exit 1; }
for f in "$DEB" "$TARBALL" "$ZIP"; do
  [ -f "$f" ] || { echo "missing $f: run bash .ci/package first"; exit 1; }
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
! installed || { echo "tarnwell is installed already; remove it first"; exit 1; }
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-check.XXXXXX")"
cleanup() {
  ! installed || $SUDO apt-get remove --purge -y -q tarnwell >/dev/null 2>&1 || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT
apt_get() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@" -y -q >"$SCRATCH/apt.log" 2>&1; }

echo "== Debian package $(basename "$DEB")"
# lintian only grumbles about running as root; its other findings are listed.
lintian_status=0
lintian_out="$(lintian --fail-on error "$DEB" 2>&1)" || lintian_status=$?
lintian_out="$(grep -v 'running with root privileges' <<<"$lintian_out" || true)"
check "lintian: no errors" test "$lintian_status" -eq 0 || true
[ -n "$lintian_out" ] && show <<<"$lintian_out"
if apt_get install "$DEB"; then pass "apt-get install (with its dependencies)"; else
  fail "apt-get install"; show <"$SCRATCH/apt.log"; exit 1; fi
dpkg -L tarnwell | while IFS= read -r path; do
  if [ -d "$path" ]; then echo "d $path"; else echo "f $path"; fi
done >"$SCRATCH/kinds"

# lv2ls with a home of its own, so no ~/.lv2 answers instead of /usr/lib/lv2.
manifest=/usr/lib/lv2/tarnwell.lv2/manifest.ttl
mkdir -p "$SCRATCH/lv2-home"
found_uri=""
while IFS= read -r uri; do
  [ -n "$uri" ] && [ -f "$manifest" ] && grep -qF "<$uri>" "$manifest" && found_uri="$uri"
done < <(env -u LV2_PATH HOME="$SCRATCH/lv2-home" lv2ls 2>&1 || true)
check "lv2ls lists the URI $manifest declares ($found_uri)" test -n "$found_uri" || true

clap_out="$(printf 'CLAP:/usr/lib/clap/tarnwell.clap\n' |
  timeout 60 /usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan 2>&1 || true)"
check "qtractor_plugin_scan lists the CLAP plug-in" \
  grep -qE '^CLAP\|Tarnwell\|.*\|/usr/lib/clap/tarnwell\.clap\|' <<<"$clap_out" || show <<<"$clap_out"

host_scan() {  # scanner, plug-in, cache suffix: the scanner must index it in its private cache
  local home="$SCRATCH/scan-$3" out cache
  mkdir -p "$home/config" "$home/cache" "$home/data"
  out="$(HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" \
    LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "/usr/lib/ardour7/$1" -f "$2" 2>&1 || true)"
  cache="$(find "$home/cache" -name "*.$3" -print -quit)"
  if [ -n "$cache" ] && grep -q 'name="Tarnwell"' "$cache"; then pass "$1 indexes $2"; else
    fail "$1 does not index $2"; grep -v 'Callback opcode' <<<"$out" | show || true; fi
}
host_scan ardour-vst3-scanner /usr/lib/vst3/Tarnwell.vst3 v3i
host_scan ardour-vst-scanner /usr/lib/vst/tarnwell.so v2i

check "tarnwell --version on the PATH answers $VERSION" \
  grep -qF "$VERSION" <<<"$(timeout 20 tarnwell --version 2>&1 || true)" || true

# Every file of the package goes, and every folder of its own; shared
# folders such as /usr/lib/vst may stay for other packages.
check "apt-get remove --purge tarnwell" apt_get remove --purge tarnwell || show <"$SCRATCH/apt.log"
left=()
while read -r kind path; do
  case "$kind:$path" in
    f:*) [ -e "$path" ] || [ -L "$path" ] && left+=("$path") ;;
    d:*[Tt]arnwell*) [ -e "$path" ] && left+=("$path/") ;;
  esac
done <"$SCRATCH/kinds"
check "nothing of the package left ($(wc -l <"$SCRATCH/kinds") paths checked)" test "${#left[@]}" -eq 0 ||
  printf '      %s\n' "${left[@]}"

echo "== Per-user archive $(basename "$TARBALL")"
HOME_DIR="$SCRATCH/home"
mkdir -p "$HOME_DIR"
tar -C "$SCRATCH" -xzf "$TARBALL"
as_user() { env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$HOME_DIR" PATH="$HOME_DIR/.local/bin:$PATH" "$@"; }
if as_user sh "$SCRATCH/tarnwell-$VERSION-linux-x86_64/install.sh" >"$SCRATCH/install.log" 2>&1; then
  pass "install.sh into a scratch home"; else fail "install.sh"; show <"$SCRATCH/install.log"; fi
missing=()
for f in .vst/tarnwell.so .clap/tarnwell.clap .vst3/Tarnwell.vst3/Contents/x86_64-linux/Tarnwell.so \
  .lv2/tarnwell.lv2/manifest.ttl .local/bin/tarnwell .local/share/applications/tarnwell.desktop; do
  [ -e "$HOME_DIR/$f" ] || missing+=("~/$f")
done
check "every format, the player and its menu entry installed ${missing[*]:+(missing: ${missing[*]})}" \
  test "${#missing[@]}" -eq 0 || true
check "tarnwell --version from ~/.local/bin answers $VERSION" \
  grep -qF "$VERSION" <<<"$(as_user timeout 20 tarnwell --version 2>&1 || true)" || true
as_user sh "$HOME_DIR/.local/share/tarnwell/uninstall.sh" --purge >"$SCRATCH/uninstall.log" 2>&1 || true
remaining="$(cd "$HOME_DIR" && find . -type f | sort)"
check "uninstall.sh --purge leaves no file in the home" test -z "$remaining" || show <<<"$remaining"

echo "== Windows archive $(basename "$ZIP")"
listing="$(unzip -Z1 "$ZIP" | { grep -v '/$' || true; } | sort)"
expected="$(printf '%s\n' 32-bit/tarnwell.dll 64-bit/Tarnwell.vst3/Contents/x86_64-win/Tarnwell.vst3 \
  64-bit/tarnwell.clap 64-bit/tarnwell.dll LICENSE.txt README.txt THIRD-PARTY-NOTICES.txt | sort)"
check "holds exactly the 64-bit and 32-bit files, read-me, licence and notices" test "$listing" = "$expected" ||
  diff <(echo "$expected") <(echo "$listing") | show || true

echo
[ "$failures" -eq 0 ] || { echo "Packages: $failures check(s) FAILED"; exit 1; }
echo "Packages: every check passed"
