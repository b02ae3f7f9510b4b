#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; exits non-zero
# when a test fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)"
