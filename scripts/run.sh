#!/usr/bin/env bash
# The main job on the built-in default: set up, build, and calibrate the emulated Q71 without an
# operator (scripts/main-job.sh): start-up, calibration mode, wizard, front and rear scans, upload,
# then a rescan through the uploaded LUT compared with the reference, and calvix-verify's certificate.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh calvix calvix-analyze calvix-verify q71-scan q71-emulator zedareru twain_manager q71_source
scripts/main-job.sh
