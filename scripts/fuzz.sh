#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs one or all of them.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default: 60 seconds, every target
# Corpora live in build/fuzz/corpus/<target>, seeded from tests/fixtures; a crash
# leaves its input in build/fuzz/crashes/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "${f%.cpp}")"); done
fi
for t in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$t"
  crashes="build/fuzz/crashes/$t"
  mkdir -p "$corpus" "$crashes"
  seeds="tests/fixtures/fuzz/$t"
  extra=()
  [ -d "$seeds" ] && extra+=("$seeds")
  echo "== $t for ${seconds}s"
  "build/fuzz/bin/$t" -max_total_time="$seconds" -artifact_prefix="$crashes/" -print_final_stats=1 \
    "$corpus" "${extra[@]}" 2>&1 | grep -E 'stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Done' || true
done
