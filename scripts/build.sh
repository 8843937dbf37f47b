#!/usr/bin/env bash
# Configures and builds one configuration: release (the programs) or test (everything with
# AddressSanitizer and UndefinedBehaviorSanitizer). Usage: build.sh release|test
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release) dir=build/release; opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DEBOOK_TESTS=OFF) ;;
  test)    dir=build/test;    opts=(-DCMAKE_BUILD_TYPE=Debug -DEBOOK_SANITIZE=ON -DEBOOK_TESTS=ON) ;;
  bench)   dir=build/bench;   opts=(-DCMAKE_BUILD_TYPE=Release -DEBOOK_TESTS=OFF -DEBOOK_BENCH=ON) ;;
  *) echo "usage: $0 release|test|bench" >&2; exit 2 ;;
esac
if [[ ! -f $dir/build.ninja ]]; then
  cmake -S . -B "$dir" -G Ninja "${opts[@]}" >/dev/null
fi
cmake --build "$dir" -- --quiet
