#!/usr/bin/env bash
# Builds the two books of the search benchmark from the Russian GIMP help (Debian package
# gimp-help-ru): OUT/plain, the help as it is (scripts/corpus.sh), and OUT/big, its pages repeated
# as distinct documents until they hold at least 10 million counted words (the copies leave the
# pictures out). Then runs search_bench on both, with the search/highlight agreement check on the
# plain one. Books already built in OUT are reused; remove them to rebuild.
# Usage: bench/search/make_big_book.sh OUT [BUILD]   (BUILD: a build folder with bookmake and
# search_bench, default build/bench from scripts/build.sh bench)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:?usage: bench/search/make_big_book.sh OUT [BUILD]}")
build=${2:-build/bench}
bookmake=$build/tools/bookmake/bookmake
bench=$build/bench/search/search_bench
help=/usr/share/gimp/2.0/help/ru
[[ -x $bookmake && -x $bench ]] || { echo "make_big_book.sh: build bookmake and search_bench in $build first" >&2; exit 1; }

[[ -f $out/plain/book/base/index.dat ]] || scripts/corpus.sh "$out/plain" "$bookmake"

# Counted words of the help: runs of 3 or more Cyrillic letters from <body> on.
words=$(python3 - "$help" <<'PY'
import glob, re, sys
n = 0
for f in glob.glob(sys.argv[1] + "/*.html"):
    t = open(f, encoding="utf-8", errors="replace").read()
    b = t.lower().find("<body")
    n += len(re.findall("[А-Яа-яЁё]{3,}", t[max(b, 0):]))
print(n)
PY
)
copies=$(( (10000000 + words - 1) / words ))
echo "the help holds $words counted words: $copies copies make the big book"

if [[ ! -f $out/big/book/base/index.dat ]]; then
  rm -rf "$out/big"
  mkdir -p "$out/big/source"
  {
    echo "[book]"
    echo "title = Руководство пользователя GIMP, $copies раз"
    echo "regkey = corpus_gimp_help_ru_big"
    echo "pelvar = 1"
    echo "layout = page-file"
    echo
    echo "[contents]"
    echo "* Руководство пользователя GIMP | c1/index.html"
    names=$(cd "$help" && ls *.html)
    for c in $(seq 1 "$copies"); do
      mkdir "$out/big/source/c$c"
      cp -s "$help"/*.html "$out/big/source/c$c/"
      echo "** Копия $c"
      awk -v c="$c" '!(c == 1 && $0 == "index.html") { print "*** " $0 " | c" c "/" $0 }' <<<"$names"
    done
  } > "$out/big/source/bookmake.txt"
  start=$(date +%s)
  "$bookmake" build "$out/big/source" "$out/big/book" 2> "$out/big/warnings.txt"
  echo "big book built in $(( $(date +%s) - start )) s"
fi

echo "== plain corpus"
"$bench" "$out/plain/book/base" --agreement
echo "== 10-million-word book"
"$bench" "$out/big/book/base"
