#!/usr/bin/env bash
# The desktop entry's launcher: a new data directory on first use (complete, empty, list files in
# place), an existing one used as it stands, the data directory line of the configuration file, a
# file standing where the directory should be, and first starts that fail (no permission,
# zelt-init failing) leaving no half-made directory.
#   launcher_test.sh LAUNCHER ZELT-INIT
# The desktop program is stood in for by a script that notes the directory it was started in.
set -uo pipefail
launcher="$(readlink -f "$1")"
init="$(readlink -f "$2")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
chmod 755 "$root"
failures=0
check() {  # check DESCRIPTION COMMAND...
  if ! "${@:2}"; then
    echo "FAIL: $1" >&2
    failures=$((failures + 1))
  fi
}

# A bin folder as the package lays it out: the launcher with zelt-init and zelt beside it.
make_bin() {  # make_bin DIR INIT
  mkdir -p "$1"
  cp "$launcher" "$1/zelt-start"
  ln -s "$2" "$1/zelt-init"
  cat >"$1/zelt" <<'PROGRAM'
#!/bin/sh
pwd >>"$STARTED_IN"
PROGRAM
  chmod -R a+rX "$1"
  chmod +x "$1/zelt"
}
bin="$root/bin"
make_bin "$bin" "$init"
export STARTED_IN="$root/started"
export ZELT_CONF="$root/none.conf"
run() {  # run HOME [BIN]: the launcher's exit code; its error text in $root/err
  : >"$STARTED_IN"
  chmod 666 "$STARTED_IN"
  HOME="$1" "${2:-$bin}/zelt-start" 2>"$root/err"
}
files() { local f; for f in "$@"; do [ -f "$f" ] || return 1; done; }
empty_file() { [ -f "$1" ] && [ ! -s "$1" ]; }
no_leftovers() { ! compgen -G "$1/.zelt-new.*" >/dev/null; }
records() { sqlite3 "$1/ZELT/ZELT.db" 'SELECT COUNT(*) FROM ZELT'; }

# First use: the directory is made complete and empty, and the program starts in it.
home="$root/home"
mkdir "$home"
data="$home/Банк данных"
check "first start succeeds" run "$home"
check "the program starts in the new data directory" [ "$(cat "$STARTED_IN")" = "$data" ]
check "the table tree is there" files "$data/ZELT/ZELT.db" "$data/Arxiv/BDS/BDS.db" "$data/Perenos/Arxiv/ZELT/ZELT.db"
check "the tables are empty" [ "$(records "$data")" = 0 ]
for list in setup.vrk Region.vrk; do
  check "the list file $list is in place, empty" empty_file "$data/$list"
done
check "every pick and phrase list is in place" [ "$(find "$data" -maxdepth 1 -name '*.vrk' | wc -l)" -ge 20 ]
check "no temporary directory is left" no_leftovers "$home"

# Next use: the directory is used as it stands, whatever it holds.
sqlite3 "$data/ZELT/ZELT.db" "INSERT INTO ZELT (F) VALUES ('Иванов')"
printf 'Кировский район\r\n' >"$data/Region.vrk"
check "second start succeeds" run "$home"
check "the program starts in the same directory" [ "$(cat "$STARTED_IN")" = "$data" ]
check "the records stay" [ "$(records "$data")" = 1 ]
check "the list files stay" [ "$(cat "$data/Region.vrk")" = $'Кировский район\r' ]

# The data directory line of the configuration file; its parent folders are made as well.
printf 'ZELT_DATA_DIR="%s/srv/kdn/Банк данных"\n' "$root" >"$root/shared.conf"
ZELT_CONF="$root/shared.conf" check "start with a configured directory" run "$home"
check "the program starts in the configured directory" [ "$(cat "$STARTED_IN")" = "$root/srv/kdn/Банк данных" ]
check "the configured directory is made" [ -f "$root/srv/kdn/Банк данных/ZELT/ZELT.db" ]

# A home folder the user may not write: an error naming the directory, and the program not started.
locked="$root/locked"
mkdir "$locked"
chmod 755 "$locked"  # owned by root, so nobody cannot write it
rc=0
: >"$STARTED_IN"
HOME="$locked" setpriv --reuid=nobody --regid=nogroup --clear-groups "$bin/zelt-start" 2>"$root/err" || rc=$?
check "an unwritable home folder fails the start" [ "$rc" -eq 1 ]
check "the error names the data directory" grep -q "Не удаётся создать каталог данных «$locked/Банк данных»" "$root/err"
check "the program is not started" [ ! -s "$STARTED_IN" ]
check "nothing is left in the home folder" [ -z "$(ls -A "$locked")" ]

# A file where the data directory should be: an error naming it, the file untouched.
home3="$root/home3"
mkdir "$home3"
echo "не каталог" >"$home3/Банк данных"
rc=0
run "$home3" || rc=$?
check "a file in the directory's place fails the start" [ "$rc" -eq 1 ]
check "the error names the data directory" grep -q "Не удаётся открыть каталог данных «$home3/Банк данных»" "$root/err"
check "the file stays as it was" [ "$(cat "$home3/Банк данных")" = "не каталог" ]
check "the program is not started" [ ! -s "$STARTED_IN" ]

# zelt-init failing midway (here after it made the whole tree): no directory is left that a
# later start would take for a complete one, and the program is not started.
cat >"$root/failing-init" <<FAILING
#!/bin/sh
"$init" "\$@" >/dev/null && echo "zelt-init: нет места на диске" >&2
exit 1
FAILING
chmod +x "$root/failing-init"
make_bin "$root/bin-failing" "$root/failing-init"
home2="$root/home2"
mkdir "$home2"
rc=0
run "$home2" "$root/bin-failing" || rc=$?
check "a failing zelt-init fails the start" [ "$rc" -eq 1 ]
check "its error is shown" grep -q "нет места на диске" "$root/err"
check "no data directory is left" [ ! -e "$home2/Банк данных" ]
check "no temporary directory is left" no_leftovers "$home2"
check "the program is not started" [ ! -s "$STARTED_IN" ]
# The next start, with zelt-init working again, makes the directory.
check "a later start succeeds" run "$home2"
check "and makes the directory" [ -f "$home2/Банк данных/ZELT/ZELT.db" ]

[ "$failures" -eq 0 ] && echo "launcher: all cases pass"
exit $((failures > 0))
