#!/usr/bin/env bash
# Installs every Debian package the reader, its tools and its tests need. Quiet and quick when
# everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libhunspell-dev hunspell-ru
  libcurl4-openssl-dev liblhasa-dev jlha-utils
  libsqlite3-dev libcpp-httplib-dev
  fonts-liberation2 fontconfig
  xvfb xauth
)

# One dpkg-query for all: a package it does not list as installed is missing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null \
  | awk '$4 == "installed" { sub(/:.*/, "", $1); print $1 }' || true)
missing=()
for p in "${packages[@]}"; do
  grep -qx -- "$p" <<<"$installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
