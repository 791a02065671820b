#!/usr/bin/env bash
# Every picture the clerks' guide and the README link is in the source tree, and the guide shows
# at least one picture per section.
#   pictures_test.sh SOURCE-DIR
set -uo pipefail
cd "$1" || exit 1
failures=0
for doc in docs/guide.ru.md README.md; do
  base="$(dirname "$doc")"
  while IFS= read -r picture; do
    if [ ! -s "$base/$picture" ]; then
      echo "FAIL: $doc shows $picture, which is missing" >&2
      failures=$((failures + 1))
    fi
  done < <(grep -o '!\[[^]]*\]([^)]*\.png)' "$doc" | sed 's/.*(\(.*\))/\1/')
done
# A section of the guide: from one "## " heading to the next.
while IFS= read -r section; do
  echo "FAIL: the guide's section \"$section\" has no picture" >&2
  failures=$((failures + 1))
done < <(awk '/^## /{ if (name != "" && !pic) print name; name = substr($0, 4); pic = 0; next }
              /!\[[^]]*\]\([^)]*\.png\)/ { pic = 1 }
              END { if (name != "" && !pic) print name }' docs/guide.ru.md)
[ "$failures" -eq 0 ] && echo "pictures: all in place"
exit $((failures > 0))
