#!/usr/bin/env bash
# Configures and builds Calvix into build/ (Release-with-debug-info, Qt windows included).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
