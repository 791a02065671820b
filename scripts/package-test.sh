#!/usr/bin/env bash
# Builds the Debian package, installs it with apt on this machine, runs the installed programs in a
# temporary directory (the demo data, a short script session, the desktop entry's launcher on a
# new home folder), validates the desktop entry and removes the package again. Runs as root.
set -euo pipefail
cd "$(dirname "$0")/.."
version="$(sed -n 's/^project(zelt VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb="$PWD/build/zelt_${version}_amd64.deb"
rm -f build/zelt_*.deb
cmake --build build --target package >/dev/null
[ -f "$deb" ] || { echo "package-test: $deb was not built" >&2; exit 1; }

work="$(mktemp -d)"
cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zelt >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null

fail() { echo "package-test: $*" >&2; exit 1; }
for program in zelt zelt-init zelt-script zelt-start; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not installed in /usr/bin"
done
[ "$(/usr/bin/zelt-init --version)" = "zelt-init $version" ] || fail "zelt-init --version"
[ "$(/usr/bin/zelt-script --version)" = "zelt-script $version" ] || fail "zelt-script --version"
desktop-file-validate /usr/share/applications/zelt.desktop
[ -s /usr/share/icons/hicolor/scalable/apps/zelt.svg ] || fail "no icon"
[ -s /usr/share/doc/zelt/copyright ] || fail "no copyright file"

# The demo data and a short session of the script driver, from the installed paths.
/usr/bin/zelt-init --demo --minors 40 --families 30 --others 10 --institutions 5 --seed 2 "$work/demo" >/dev/null
out="$(cd "$work/demo" && /usr/bin/zelt-script <<'SCRIPT'
start
click N49
state Table1
table Table1 first
current Table1 F I
stop
SCRIPT
)" || { echo "$out"; fail "zelt-script session"; }
grep -q 'Table1.*open' <<<"$out" || { echo "$out"; fail "the minors' table did not open"; }

# The desktop entry's command on a new home folder: the program runs (offscreen) in a new, empty
# data directory until it is stopped.
command="$(sed -n 's/^Exec=//p' /usr/share/applications/zelt.desktop)"
mkdir "$work/home"
rc=0
HOME="$work/home" QT_QPA_PLATFORM=offscreen timeout 10 $command >"$work/start.log" 2>&1 || rc=$?
[ "$rc" -eq 124 ] || { cat "$work/start.log"; fail "the program did not keep running (exit $rc)"; }
data="$work/home/Банк данных"
[ -f "$data/ZELT/ZELT.db" ] && [ -f "$data/setup.vrk" ] || fail "no data directory made in $data"
[ "$(sqlite3 "$data/ZELT/ZELT.db" 'SELECT COUNT(*) FROM ZELT')" = 0 ] || fail "the new data directory is not empty"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zelt >/dev/null
[ ! -e /usr/bin/zelt ] && [ ! -e /etc/zelt/zelt.conf ] || fail "the package left files behind"
echo "package-test: zelt $version installed, run and removed"
