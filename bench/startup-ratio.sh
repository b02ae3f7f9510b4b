#!/usr/bin/env bash
# Starts each probe in turn, round after round, under one display, and prints for
# each the median time from the start of the process to its window on the screen,
# its ratio to the last probe named (the bare window) and its median peak memory.
# The machine may be busy: only ratios within one run mean much.
#
#   xvfb-run -a bench/startup-ratio.sh 16 build/bin/qob-startup-probe \
#       build/bin/qob-bare-window-probe
set -euo pipefail

rounds=$1
shift
(($# >= 2)) || { echo "usage: $0 ROUNDS PROBE... BARE-PROBE" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] || { echo "$0: needs a display (run it under xvfb-run -a)" >&2; exit 2; }

results=$(mktemp)
trap 'rm -f "$results"' EXIT
# one warm-up start each, so that the first round does not pay for cold files
for probe in "$@"; do "$probe" >/dev/null 2>&1; done
for ((r = 0; r < rounds; r++)); do
    for probe in "$@"; do
        start=$(date +%s%N)
        line=$("$probe" 2>/dev/null)
        shown=$(sed -n 's/^window shown at \([0-9]*\),.*/\1/p' <<<"$line")
        peak=$(sed -n 's/.*peak \([0-9]*\) KB.*/\1/p' <<<"$line")
        echo "$probe $(((shown - start) / 1000)) $peak" >>"$results"
    done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
bare=${!#}
bare_us=$(awk -v p="$bare" '$1 == p { print $2 }' "$results" | median)
printf '%-48s %10s %7s %9s\n' probe "median ms" ratio "peak MB"
for probe in "$@"; do
    us=$(awk -v p="$probe" '$1 == p { print $2 }' "$results" | median)
    kb=$(awk -v p="$probe" '$1 == p { print $3 }' "$results" | median)
    awk -v p="$probe" -v us="$us" -v b="$bare_us" -v kb="$kb" \
        'BEGIN { printf "%-48s %10.1f %7.2f %9.1f\n", p, us / 1000, us / b, kb / 1024 }'
done
