#!/usr/bin/env bash
# Fuzzes the record reader and the digest with libFuzzer: builds the fuzz programs with
# clang in build-fuzz/ and runs them one after the other for SECONDS in all (default 600,
# ten minutes), each on its own corpus in build-fuzz/corpus/, which starts from its seeds
# in tests/fuzz/seeds/ and keeps what the fuzzer finds between runs. A failing input is
# left in build-fuzz/ as crash-*; exits non-zero then.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
"$root/scripts/deps.sh"
if ! command -v clang++-14 >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends clang-14
fi

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DQOB_FUZZ=ON -DQOB_BUILD_BENCH=OFF >/dev/null
targets=(record_text record_state digest)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

each=$((seconds / ${#targets[@]}))
((each > 0)) || each=1
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  cp -n "$root/tests/fuzz/seeds/$t/"* "$corpus/"
  echo "fuzz_$t: ${each}s"
  (cd "$build" && "$build/bin/fuzz_$t" -max_total_time="$each" -max_len=8192 -print_final_stats=1 \
    "$corpus")
done
