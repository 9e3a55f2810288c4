#!/usr/bin/env bash
# Configures and builds Calvix into build/ (Release-with-debug-info, Qt windows included).
# With target names as arguments only those are built.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if (($#)); then
  cmake --build build -j2 --target "$@"
else
  cmake --build build -j2
fi
