#!/usr/bin/env bash
# The main job on the built-in default: set up, build, render a front and a rear IT8 chart as
# the emulated Q71 scans them, analyse the pair with calvix-analyze and show where the
# calibration record went; then a short headless start-up and shut-down of Calvix itself.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh calvix calvix-analyze q71-render q71-emulator zedareru
scripts/main-job.sh

echo
echo "Headless start-up and shut-down of Calvix (private data folder under build/run) ..."
RUN_DIR="$PWD/build/run/calvix"
rm -rf "$RUN_DIR" && mkdir -p "$RUN_DIR"
XDG_DATA_HOME="$RUN_DIR/data" XDG_CONFIG_HOME="$RUN_DIR/config" XDG_RUNTIME_DIR="$RUN_DIR" \
  build/bin/calvix --headless --ticks 10 | tail -n 3
