#!/usr/bin/env bash
# Installs what is missing, builds, and starts DToolPc on the emulated instrument bench.
#   scripts/run.sh [program arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  cat >&2 <<MSG
DToolPc is a desktop program and needs a display, but neither DISPLAY nor
WAYLAND_DISPLAY is set. To run it on a virtual display instead:

  xvfb-run -a -s "-screen 0 1280x1024x24" $root/build/bin/DToolPc

(the build is done; xvfb-run comes with the xvfb package, already installed).
MSG
  exit 2
fi
exec "$root/build/bin/DToolPc" "$@"
