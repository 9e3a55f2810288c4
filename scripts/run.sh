#!/usr/bin/env bash
# The main job on the built-in default: set up, build, and run Calvix headless against the
# emulated scanner, in a private data folder under build/run (see the README).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
RUN_DIR="$PWD/build/run"
rm -rf "$RUN_DIR" && mkdir -p "$RUN_DIR"
export XDG_DATA_HOME="$RUN_DIR/data" XDG_CONFIG_HOME="$RUN_DIR/config" XDG_RUNTIME_DIR="$RUN_DIR"
build/bin/calvix --headless --ticks 10
echo
echo "Log file:"
sed -n '1,12p' "$XDG_DATA_HOME/Zelmar GmbH/Calvix/Calvix.log"
