#!/usr/bin/env bash
# Installs the real Russian corpus the morphology benchmark measures coverage on: the GIMP user
# manual in Russian (HTML pages under /usr/share/gimp/2.0/help/ru). Prints the corpus folder.
set -euo pipefail
pkg=gimp-help-ru
status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
if [[ "$status" != "install ok installed" ]]; then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$pkg" >/dev/null
fi
echo /usr/share/gimp/2.0/help/ru
