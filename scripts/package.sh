#!/usr/bin/env bash
# Installs what is missing, builds the program and makes its Debian package with CPack.
#   scripts/package.sh [build-dir]        (default: build; the package lands in it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
"$root/scripts/deps.sh"
# dpkg-shlibdeps finds the package's dependencies; fakeroot gives its files the owner root.
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
missing=()
for p in dpkg-dev file; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
"$root/scripts/build.sh" "$dir" -DDTOOL_WERROR=ON
(cd "$dir" && cpack -G DEB)
ls -l "$dir"/*.deb
"$root/scripts/check-package.sh" "$(ls "$dir"/dtoolpc_*.deb | head -n 1)"
