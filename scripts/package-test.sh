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
  if dpkg -s zelt >/dev/null 2>&1; then DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zelt >/dev/null 2>&1; fi
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null

fail() { echo "package-test: $*" >&2; exit 1; }
for program in zelt zelt-init zelt-script zelt-start; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not installed in /usr/bin"
done
# The safety-copy restore tool is installed whenever the tree builds it.
if [ -x build/tools/zelt-restore-backup ]; then
  [ -x /usr/bin/zelt-restore-backup ] || fail "zelt-restore-backup is not installed in /usr/bin"
fi
# Every command-line tool prints the one version of the package.
for tool in /usr/bin/zelt-*; do
  name="$(basename "$tool")"
  [ "$name" = zelt-start ] && continue
  [ "$("$tool" --version)" = "$name $version" ] || fail "$name --version does not print $version"
done
desktop-file-validate /usr/share/applications/zelt.desktop
# Every library the installed programs link comes from a package the package depends on, so a
# fresh machine gets it from apt (the libraries those need come with them).
depends="$(dpkg-query -W -f='${Depends}' zelt | sed 's/([^)]*)//g; s/|/,/g' | tr ',' '\n' | tr -d ' ')"
for program in /usr/bin/zelt /usr/bin/zelt-*; do
  [ "$program" = /usr/bin/zelt-start ] && continue
  for soname in $(objdump -p "$program" | awk '/NEEDED/ {print $2}'); do
    path="$(ldconfig -p | awk -v s="$soname" '$1 == s && /x86-64/ && !found {print $NF; found = 1}')"
    # With merged /usr the package may name the library under /lib or /usr/lib.
    owner=""
    for candidate in "$path" "$(readlink -f "$path")" "/usr$path" "${path#/usr}"; do
      owner="$( (dpkg -S "$candidate" 2>/dev/null || true) | awk -F: 'NR == 1 {print $1}')"
      [ -n "$owner" ] && break
    done
    [ -n "$owner" ] || fail "$(basename "$program") links $soname, which no package holds"
    grep -qxF "$owner" <<<"$depends" || fail "$(basename "$program") links $soname from $owner, not a dependency"
  done
done
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
grep -q '^Table1: browse, records [1-9]' <<<"$out" || { echo "$out"; fail "the minors' register did not open"; }

# The desktop entry's command on a new home folder: the launcher becomes the program (offscreen),
# running in a new, empty data directory.
command="$(sed -n 's/^Exec=//p' /usr/share/applications/zelt.desktop)"
mkdir "$work/home"
HOME="$work/home" QT_QPA_PLATFORM=offscreen $command >"$work/start.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/bin/zelt ] && break
  sleep 0.1
done
sleep 1
data="$work/home/Банк данных"
[ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/bin/zelt ] || { cat "$work/start.log"; fail "the program is not running"; }
[ "$(readlink "/proc/$pid/cwd")" = "$data" ] || fail "the program runs in $(readlink "/proc/$pid/cwd"), not in $data"
kill "$pid"
wait "$pid" || true
[ -f "$data/ZELT/ZELT.db" ] && [ -f "$data/setup.vrk" ] || fail "no data directory made in $data"
out="$(cd "$data" && /usr/bin/zelt-script <<'SCRIPT'
start
state Table1
stop
SCRIPT
)" || { echo "$out"; fail "zelt-script in the new data directory"; }
[ "$out" = 'Table1: browse, records 0, row 0, eof, bof, filter "" off, index ""' ] ||
  { echo "$out"; fail "the new data directory does not start empty"; }

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zelt >/dev/null
[ ! -e /usr/bin/zelt ] && [ ! -e /etc/zelt/zelt.conf ] || fail "the package left files behind"
echo "package-test: zelt $version installed, run and removed"
