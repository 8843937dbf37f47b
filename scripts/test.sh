#!/usr/bin/env bash
# Sets everything up, builds everything with the sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh test
cd build/test
ctest --output-on-failure -j2 "$@"
