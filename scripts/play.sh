#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here: starting the game on a virtual X display (xvfb-run). Set DISPLAY to see it."
  exec xvfb-run -a "$root/build/bin/qob"
fi
exec "$root/build/bin/qob"
