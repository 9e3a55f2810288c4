#!/usr/bin/env bash
# The main job: a real calibration of the emulated Q71. Starts the emulator (a duplex lamp
# scanner whose two sensors are off in different ways, the IT8 chart fed front-up and then
# turned for the rear), runs `calvix --unattended` in a private data folder with a short lamp
# warm-up, scans the chart once more through the uploaded LUT with q71-scan, and prints per side
# the 24 grey patches before and after calibration against their reference values. Last, the
# proof: calvix-verify checks both sides through the LUT in force, with a grey card per side for
# the illumination's uniformity, and writes a certificate. The
# calibration also leaves one ICC input profile per side in $XDG_DATA_HOME/icc; the archival
# rescans are TIFF files with that profile embedded, and the certificate reads the colour
# patches through it.
# Assumes build/ is built (scripts/run.sh builds it first). BUILD_DIR overrides the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
BIN="$PWD/$BUILD_DIR/bin"
RUN="$PWD/$BUILD_DIR/run/calibration"
REFERENCE="$PWD/tests/data/it8/R1.txt"
WARM_UP_SECONDS="${WARM_UP_SECONDS:-3}"

rm -rf "$RUN" && mkdir -p "$RUN/config/Zelmar GmbH" "$RUN/data" "$RUN/runtime" "$RUN/after"
chmod 700 "$RUN/runtime"   # a runtime folder is private to its user
export XDG_DATA_HOME="$RUN/data" XDG_CONFIG_HOME="$RUN/config" XDG_RUNTIME_DIR="$RUN/runtime"
printf '[Software\\Zelmar GmbH\\Calvix]\r\n"WarmUpTime"=dword:%08x\r\n' "$WARM_UP_SECONDS" \
  > "$RUN/config/Zelmar GmbH/Calvix.reg"

echo "Starting the emulated Q71 (duplex, lamps; front sensor dark and warm, rear bright and cool) ..."
"$BIN/q71-emulator" --listen 127.0.0.1:0 --state "$RUN/device.state" --log "$RUN/emulator.log" \
  --duplex 1 --led 0 --noise 1.5 --seed 7 \
  --front-response '0.90,0.03,1.15/0.95,0.02,1.10/0.85,0.04,1.25' \
  --rear-response '1.04,0.00,0.90/0.93,0.02,1.02/1.00,0.01,0.94' \
  --feed "chart-on=front,it8=$REFERENCE,rotate=0.3,shift-x=8" \
  --feed "chart-on=rear,it8=$REFERENCE,rotate=-0.4,shift-y=12" > "$RUN/emulator.out" &
EMULATOR=$!
trap 'kill $EMULATOR 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q 'listening on' "$RUN/emulator.out" 2>/dev/null && break
  sleep 0.1
done
export Q71_ADDRESS=$(sed -n 's/.*listening on //p' "$RUN/emulator.out")
echo "  ... listening on $Q71_ADDRESS; the chart is in the feeder, then turned over for the rear"
echo

echo "Calibrating: calvix --unattended --reference tests/data/it8/R1.txt"
start=$(date +%s%3N)
status=0
"$BIN/calvix" --unattended --reference "$REFERENCE" || status=$?
end=$(date +%s%3N)
echo "  ... calvix --unattended ended with status $status after $((end - start)) ms" \
     "(warm-up $WARM_UP_SECONDS s, 200 ms ticks and 50 ms command waits included)"
[ "$status" -eq 0 ] || exit "$status"
echo

echo "Scanning the chart once more through the uploaded LUT (q71-scan) ..."
"$BIN/q71-emulator" feed --chart-on front --it8 "$REFERENCE" >/dev/null
"$BIN/q71-scan" --side front -o "$RUN/after/front.bmp" | tail -n 1
"$BIN/q71-emulator" feed --chart-on rear --it8 "$REFERENCE" >/dev/null
"$BIN/q71-scan" --side rear -o "$RUN/after/rear.bmp" | tail -n 1
echo
echo "Archival scans through the LUT, as TIFF with the side's new ICC profile embedded (q71-scan -o *.tif) ..."
for side in front rear; do
  "$BIN/q71-emulator" feed --chart-on "$side" --it8 "$REFERENCE" >/dev/null
  "$BIN/q71-scan" --side "$side" -o "$RUN/after/$side.tif" | grep -E '^(profile|wrote)' | sed 's/^/  /'
done
echo

DATA="$RUN/data/Zelmar GmbH/Calvix"
# The grey table of one scan: "GSn R G B measured R G B reference" lines, then the difference.
measure() {
  "$BIN/calvix-analyze" -r "$REFERENCE" -o "$2" "$1" > "$2.txt" 2>&1 || true
}
for side in front rear; do
  before=$(ls "$DATA"/Scan_${side}_*.bmp | head -n 1)
  measure "$before" "$RUN/before_$side"
  measure "$RUN/after/$side.bmp" "$RUN/after_$side"
  echo "$side side: grey patches against the reference (R G B, 8-bit levels)"
  printf '  %-5s %-13s %-13s %-13s\n' patch reference before after
  paste <(grep -E '^  GS[0-9]' "$RUN/before_$side.txt") <(grep -E '^  GS[0-9]' "$RUN/after_$side.txt") |
    awk '{ printf "  %-5s %3d %3d %3d   %3d %3d %3d   %3d %3d %3d\n", $1, $5, $6, $7, $2, $3, $4, $9, $10, $11 }'
  echo "  before: $(grep 'difference to reference' "$RUN/before_$side.txt" | sed 's/.*reference: //')"
  echo "  after:  $(grep 'difference to reference' "$RUN/after_$side.txt" | sed 's/.*reference: //')"
  echo
done
echo "Verifying the calibration: calvix-verify --unattended --report certificate.pdf"
# The verification sheet lies a little askew, as a hand puts it in: the slanted-edge sharpness
# needs its edges off the pixel grid.
"$BIN/q71-emulator" feed --chart-on front --it8 "$REFERENCE" --rotate 0.4 --shift-x 10 >/dev/null
"$BIN/q71-emulator" feed --chart-on rear --it8 "$REFERENCE" --rotate -0.5 --shift-y 8 >/dev/null
# Then a light grey card per side for the illumination's fall-off: paper white lies beyond the
# white the new tables reach and would read 255 all over.
"$BIN/q71-emulator" feed --blank --level 0.7 >/dev/null
"$BIN/q71-emulator" feed --blank --level 0.7 >/dev/null
verdict=0
"$BIN/calvix-verify" -r "$REFERENCE" --unattended --uniformity --report "$RUN/certificate.pdf" || verdict=$?
echo
echo "Certificate: $RUN/certificate.pdf (and certificate.json)"
echo "Calvix's log, scans and tables: $DATA"
echo "The emulator's log: $RUN/emulator.log"
exit "$verdict"
