#!/usr/bin/env bash
# Builds the Debian package from the release build and prints its path:
# build/release/Brelvantor_V_<a>_<b>_<c>_<d>.deb. Only what the package holds
# is built (no tests, no benchmarks). JOBS sets the parallel build jobs
# (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}

# The package is made from the install rules alone; cpack must not build the
# whole tree (tests and benchmarks included) first.
cmake --preset release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build --preset release -j"${JOBS:-2}" --target \
  brelvantor brelvantor-cli brelvantor-sim desktop_icons man_pages manual_pdfs
(cd build/release && cpack -G DEB >cpack.log) || { cat build/release/cpack.log >&2; exit 1; }
ls "$PWD"/build/release/Brelvantor_V_*.deb
