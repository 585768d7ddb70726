#!/bin/sh
# Builds one libFuzzer target of the document module and runs it.
#
#   tests/fuzz/run-fuzz.sh TARGET [SECONDS] [extra libFuzzer options]
#
# TARGET is fuzz_project, fuzz_clipboard or fuzz_curvefile. The target is built
# with clang 14 (fuzzer, address and undefined-behaviour sanitizers) into
# $BUILD_DIR (default build/fuzz), its corpus grows in $BUILD_DIR/corpus/TARGET,
# seeded from tests/fixtures/doc; crashes land in $BUILD_DIR/crashes/TARGET.
set -eu

target=${1:?usage: run-fuzz.sh TARGET [SECONDS] [libFuzzer options]}
seconds=${2:-60}
[ $# -ge 2 ] && shift 2 || shift $#

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build/fuzz}
cxx=${CXX_FUZZ:-clang++-14}
mkdir -p "$build/bin" "$build/corpus/$target" "$build/crashes/$target"

# The generated headers (string table, version) come from a CMake configure.
if [ ! -f "$build/cmake/generated/StringsEn.inc" ]; then
    cmake -S "$root" -B "$build/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRELVANTOR_BENCHMARKS=OFF >/dev/null
    cmake --build "$build/cmake" --target strings_en >/dev/null
fi

sources=$(ls "$root"/core/text/*.cpp "$root"/core/settings/*.cpp "$root"/core/model/*.cpp \
             "$root"/core/streamio/*.cpp "$root"/core/doc/*.cpp)
# shellcheck disable=SC2086
"$cxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I "$root/core" -I "$build/cmake/generated" \
    $sources "$root/tests/fuzz/$target.cpp" -lpthread -o "$build/bin/$target"

cd "$build/crashes/$target"
exec "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    "$@" "$build/corpus/$target" "$root/tests/fixtures/doc"
