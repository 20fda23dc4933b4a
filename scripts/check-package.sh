#!/usr/bin/env bash
# Checks the Debian package as a user would meet it: unpacks it into an empty root and lists
# it, starts the installed program under Xvfb as an ordinary user who cannot write the
# program's folder, ends it with SIGTERM, and checks that its settings file went to that
# user's configuration folder and nothing was written beside the program; checks the menu
# entry with desktop-file-validate.
#   scripts/check-package.sh [package.deb]        (default: the one in build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$(ls "$root"/build/dtoolpc_*.deb | head -n 1)}
seconds=${DTOOL_CHECK_SECONDS:-15}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
dpkg -x "$deb" "$work/root"
echo "== $(basename "$deb") unpacked:"
(cd "$work/root" && find . -mindepth 1 | sort | while read -r f; do
  if [ -L "$f" ]; then echo "$f -> $(readlink "$f")"; elif [ -d "$f" ]; then echo "$f/"; else echo "$f"; fi
done)

if ! command -v desktop-file-validate >/dev/null; then
  as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends desktop-file-utils
fi
desktop="$work/root/usr/share/applications/dtoolpc.desktop"
echo "== desktop-file-validate usr/share/applications/dtoolpc.desktop"
if [ ! -f "$desktop" ]; then
  echo "FAILED: the package has no usr/share/applications/dtoolpc.desktop"
  exit 1
fi
# It prints errors, warnings and hints; an error makes it fail, and so does any message here.
validation=$(desktop-file-validate "$desktop" 2>&1) || true
if [ -n "$validation" ]; then
  echo "$validation"
  echo "FAILED: the menu entry does not validate cleanly"
  exit 1
fi
echo "ok: the menu entry validates"

prog="$work/root/usr/lib/dtoolpc"
chmod -R a-w "$prog"
home="$work/home"
mkdir -p "$home"
# Root writes into any folder: the program runs as nobody.
run=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$home"
  run=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
before=$(cd "$prog" && find . | sort)

echo "== starting usr/bin/DToolPc for ${seconds} s, from $prog (not writable), HOME=$home"
rc=0
(cd "$home" && env -u XDG_CONFIG_HOME -u DTOOL_BENCH -u DTOOL_BENCH_STATE -u DTOOL_BENCH_TRACE \
  HOME="$home" "${run[@]}" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  timeout -s TERM "$seconds" "$work/root/usr/bin/DToolPc") || rc=$?
# timeout answers 124 when it had to end the program.
echo "program ended with $rc"
if [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ]; then
  echo "FAILED: the program ended with status $rc"
  exit 1
fi

echo "== the user's configuration folder:"
(cd "$home" && find . -mindepth 1 -printf '%p %s bytes\n' | sort)
failed=0
set_file="$home/.config/DToolPc/DToolPc.SET"
if [ -f "$set_file" ] && [ "$(stat -c %s "$set_file")" -eq 568 ]; then
  echo "ok: settings file in the user's configuration folder"
else
  echo "FAILED: no 568-byte settings file at $set_file"
  failed=1
fi
after=$(cd "$prog" && find . | sort)
if [ "$before" = "$after" ]; then
  echo "ok: nothing written beside the program"
else
  echo "FAILED: the program's folder changed:"
  diff <(echo "$before") <(echo "$after") || true
  failed=1
fi
exit "$failed"
