#!/usr/bin/env bash
# A headless demonstration: a simulated hammer on a pseudo-terminal, a download
# from it with brelvantor-cli, the series table and the summary printed, and
# the exports written into a folder that is named at the end.
#
#   scripts/demo.sh BUILD_DIR     (e.g. build/release; the programs are in BUILD_DIR/bin)
#
# Settings and the curve library of the demonstration live in that folder too,
# so the user's own are never touched.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
bin="$build/bin"
for program in brelvantor-cli brelvantor-sim; do
  if [ ! -x "$bin/$program" ]; then
    echo "$0: $bin/$program is missing; build it first" >&2
    exit 1
  fi
done

out="$build/demo"
rm -rf "$out"
mkdir -p "$out"
export BRELVANTOR_SETTINGS="$out/brelvantor.settings"
export BRELVANTOR_CURVES="$out/CustomCurves"

# The simulator names its terminal on the first line of its output.
"$bin/brelvantor-sim" --state "$src/sim/states/new-format-L.json" --line-rate 3840 \
  >"$out/simulator.out" 2>"$out/simulator.log" &
sim_pid=$!
stop_simulator() {
  if kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap stop_simulator EXIT

pty=""
for _ in $(seq 1 100); do
  pty="$(head -n 1 "$out/simulator.out" 2>/dev/null || true)"
  [ -n "$pty" ] && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then break; fi
  sleep 0.05
done
if [ -z "$pty" ]; then
  echo "$0: the simulator did not start; see $out/simulator.log" >&2
  exit 1
fi
export BRELVANTOR_PORTS="1=$pty"
cli="$bin/brelvantor-cli"

echo "== A simulated Talvenbrecker on $pty"
"$cli" identify --port 1
echo
echo "== Downloading every series"
"$cli" download --port 1 -o "$out/demo.zvh" --export "$out/demo-table.txt"
echo
echo "== The series table"
"$cli" show "$out/demo.zvh"
echo
echo "== The summary"
"$cli" summary "$out/demo.zvh"
echo
echo "== The curves the hammer holds, now in the local library"
"$cli" curves list

"$cli" export "$out/demo.zvh" --format csv -o "$out/demo-table.csv"
"$cli" export "$out/demo.zvh" --format json -o "$out/demo-table.json"
"$cli" export "$out/demo.zvh" --summary -o "$out/demo-summary.txt"
"$cli" export "$out/demo.zvh" --summary --format json -o "$out/demo-summary.json"

stop_simulator
trap - EXIT
echo
echo "== Written to $out:"
(cd "$out" && ls -1 demo.zvh demo-*)
