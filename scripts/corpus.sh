#!/usr/bin/env bash
# Builds a page-file book from a real Russian HTML manual that nobody here wrote, the Russian
# GIMP help (Debian package gimp-help-ru), and prints bookmake's time and output size.
# Usage: scripts/corpus.sh OUT [BOOKMAKE]
#   OUT/source  the generated description beside a link to the help pages
#   OUT/book    the installed book folder
# BOOKMAKE defaults to the release build (scripts/build.sh release).
set -euo pipefail
out=${1:?usage: scripts/corpus.sh OUT [BOOKMAKE]}
bookmake=${2:-build/release/tools/bookmake/bookmake}
help=/usr/share/gimp/2.0/help/ru

if [[ ! -d $help ]]; then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends gimp-help-ru >/dev/null
fi
[[ -x $bookmake ]] || { echo "corpus.sh: no bookmake at $bookmake (scripts/build.sh release)" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/source"
ln -s "$help" "$out/source/ru"

# One contents entry per page under the title page, captioned by the page's <title>.
{
  echo "[book]"
  echo "title = Руководство пользователя GIMP"
  echo "regkey = corpus_gimp_help_ru"
  echo "pelvar = 1"
  echo "layout = page-file"
  echo
  echo "[contents]"
  echo "* Руководство пользователя GIMP | ru/index.html"
  for page in "$help"/*.html; do
    name=${page##*/}
    [[ $name == index.html ]] && continue
    title=$(sed -n 's:.*<title>\(.*\)</title>.*:\1:p' "$page" | head -n 1 | sed 's/^[][*; ]*//')
    echo "** ${title:-$name} | ru/$name"
  done
} > "$out/source/bookmake.txt"

html_bytes=$(cat "$help"/*.html | wc -c)
pages=$(ls "$help"/*.html | wc -l)
start=$(date +%s.%N)
"$bookmake" build "$out/source" "$out/book" 2> "$out/warnings.txt"
end=$(date +%s.%N)
book_bytes=$(du -sb "$out/book" | cut -f1)
index_bytes=$(cat "$out/book/base/index.dat" "$out/book/base/index.ind" | wc -c)
awk -v s="$start" -v e="$end" -v h="$html_bytes" -v b="$book_bytes" -v i="$index_bytes" -v p="$pages" \
    -v w="$(wc -l < "$out/warnings.txt")" 'BEGIN {
  t = e - s
  printf "corpus: %d HTML pages, %.1f MB of HTML\n", p, h / 1e6
  printf "bookmake: %.2f s, %.1f s per 100 MB of HTML (goal: under 60)\n", t, t * 1e8 / h
  printf "book folder: %.1f MB, of which index %.2f MB; %d warnings (see warnings.txt)\n", b / 1e6, i / 1e6, w
}'
