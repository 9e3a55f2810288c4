#!/usr/bin/env bash
# The offline analysis on its own: render a front and a rear IT8 chart through a distorted sensor
# tone response each (as the emulated Q71 scans them), analyse the pair with calvix-analyze into
# build/run/analysis, and show the summary and where the calibration record went.
# Assumes build/ is built (scripts/build.sh). BUILD_DIR overrides the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
BIN="$BUILD_DIR/bin"
OUT="$BUILD_DIR/run/analysis"
REFERENCE=tests/data/it8/R1.txt
mkdir -p "$OUT"

echo "Rendering the front side (gain 0.92, offset 12/1023, gamma 1.12, mild noise) ..."
"$BIN/q71-render" --it8 "$REFERENCE" --gain 0.92 --offset 0.0117 --gamma 1.12 --noise 1.5 --seed 3 \
    --rotate 0.2 -o "$OUT/front_scan.bmp" >/dev/null
echo "Rendering the rear side (gain 1.03, offset 4/1023, gamma 0.88, mild noise) ..."
"$BIN/q71-render" --it8 "$REFERENCE" --gain 1.03 --offset 0.0039 --gamma 0.88 --noise 1.5 --seed 4 \
    --shift-x 14 --shift-y 9 -o "$OUT/rear_scan.bmp" >/dev/null

echo
echo "Analysing both sides with calvix-analyze ..."
status=0
"$BIN/calvix-analyze" --reference "$REFERENCE" --output "$OUT" --serial Q71-EMULATED \
    "$OUT/front_scan.bmp" "$OUT/rear_scan.bmp" || status=$?
echo
if [ "$status" -eq 0 ]; then
    echo "Calibration record: $OUT/CalibrationLut.bin ($(stat -c %s "$OUT/CalibrationLut.bin") bytes)"
else
    echo "calvix-analyze failed with status $status; its files are in $OUT" >&2
fi
exit "$status"
