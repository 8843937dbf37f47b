#!/usr/bin/env bash
# Sets everything up, builds the reader and the sample book, installs the book and opens it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
out=build/release
if [[ -x $out/tools/bookmake/bookmake && -d samples/book ]]; then
  # The book goes where the reader starts: a "book" folder beside which it runs. Rebuilding
  # keeps the book's user folder (bookmarks, search history).
  "$out/tools/bookmake/bookmake" install samples/book "$out/sample/book" >/dev/null
  cp -n samples/program/* "$out/sample/book/" 2>/dev/null || true
fi
mkdir -p "$out/sample"
cd "$out/sample"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
  echo "No display to open the reader on; on a machine without one: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec ../src/app/ebook "$@"
