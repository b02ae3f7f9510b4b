#!/usr/bin/env bash
# Builds the game's website (qob-site) and a game that publishes to it, in build-site/;
# starts the site on 127.0.0.1:8600 with its scores in build-site/qob-site.db (SQLite),
# then the game. Closing the game stops the site.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-site"
listen=127.0.0.1:8600
url="http://$listen"

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQOB_SITE_URL="$url" \
    -DQOB_BUILD_TESTS=OFF -DQOB_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target qob qob-site

"$build/bin/qob-site" --listen "$listen" --db "sqlite:$build/qob-site.db" &
site=$!
trap 'kill "$site" 2>/dev/null || true; wait "$site" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/${listen%:*}/${listen#*:}") 2>/dev/null && break
    kill -0 "$site" 2>/dev/null || { echo "qob-site did not start (is $listen taken?)" >&2; exit 1; }
    sleep 0.1
done

cat <<TEXT

The site runs at $url/qob/ssindex.htm (the ranking: $url/qob/sslist.htm).
In the game: play, press 保留成绩 and type a name; 20 s after the game started its
connectivity check finds the site (the box at the top right says On-line); then press
发布成绩, choose the record, and 排行榜 shows it. Close the game to stop the site.

TEXT
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: starting the game on a virtual X display (xvfb-run). Set DISPLAY to see it."
    xvfb-run -a "$build/bin/qob"
else
    "$build/bin/qob"
fi
