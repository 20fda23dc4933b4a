#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running, testing and fuzzing (clang with its
# libFuzzer and sanitizer runtimes) need,
# and generates the decimal-comma locale the tests run under. Safe to repeat.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 libgl1-mesa-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-format xvfb xauth locales
  poppler-utils
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Tests check number formatting under a locale with a decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
