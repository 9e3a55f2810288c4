#!/usr/bin/env bash
# Screenshots of Calvix's windows, for the README: the program runs on Qt's offscreen platform
# (no X server needed) in a private data folder against the emulated Q71, and a scripted
# operator walks through it (calvix-screenshots). Normal mode: the splash and every wizard page
# of a whole duplex calibration run, ending with the upload. Expert mode: the main window with a
# scan, its zoom and overview, the Quality page, the graph, the about window and the help.
#   scripts/screenshots.sh [OUTDIR]      (default docs/screenshots)
#   xvfb-run -a env QT_QPA_PLATFORM=xcb scripts/screenshots.sh /tmp/shots   (under an X server)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(mkdir -p "${1:-docs/screenshots}" && cd "${1:-docs/screenshots}" && pwd)"
WARMUP=4   # seconds: the warm-up page is seen counting, and the run stays short

scripts/build.sh calvix-screenshots q71-emulator q71-render zedareru twain_manager q71_source

RUN="$PWD/build/screenshots"
REF="$PWD/tests/data/it8/R1.txt"
DATA="$RUN/data/Zelmar GmbH/Calvix"
rm -rf "$RUN" && mkdir -p "$DATA" "$RUN/config/Zelmar GmbH" "$RUN/state"
export XDG_DATA_HOME="$RUN/data" XDG_CONFIG_HOME="$RUN/config" XDG_STATE_HOME="$RUN/state"
export XDG_RUNTIME_DIR="$RUN" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" LANG=C.UTF-8

# The chart's reference is installed and remembered, so the wizard opens ready on its first page.
cp "$REF" "$DATA/R1.txt"
printf 'R1.txt\r\n' >"$DATA/it8ref.lst"
user_store() { # $1: expert mode 0 or 1
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[Software\\Zelmar GmbH\\Calvix]\r\n'
  printf '"ExpertMode"=dword:%08x\r\n"WarmUpTime"=dword:%08x\r\n"SearchScanner"=dword:00000001\r\n' "$1" "$WARMUP"
  printf '"ListIT8Index"=dword:00000000\r\n"LanguageAuto"=dword:00000000\r\n"Language"=dword:00000009\r\n'
}

# The emulated duplex Q71 with the chart in its feeder: front up, then turned for the rear.
build/bin/q71-emulator --listen 127.0.0.1:0 --state "$RUN/state/device.state" --log "$RUN/emulator.log" \
  --duplex 1 --feed "chart-on=front,it8=$REF" --feed "chart-on=rear,it8=$REF" >"$RUN/emulator.out" &
EMULATOR=$!
trap 'kill $EMULATOR 2>/dev/null; wait $EMULATOR 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q "listening on" "$RUN/emulator.out" 2>/dev/null && break
  sleep 0.1
done
Q71_ADDRESS="$(sed -n 's/.*listening on \([0-9.:]*\).*/\1/p' "$RUN/emulator.out")"
[ -n "$Q71_ADDRESS" ] || { echo "q71-emulator did not start; see $RUN/emulator.log" >&2; exit 1; }
export Q71_ADDRESS

status=0
walk() { # $1: name of the run; the rest: options of calvix-screenshots
  local name="$1"
  shift
  echo "$name run (log: $RUN/$name.log)"
  build/bin/calvix-screenshots --out "$OUT" "$@" >"$RUN/$name.log" 2>&1 || status=1
  grep -E "^  (saved|missing|stopped at|open message)|screenshots saved" "$RUN/$name.log" || true
}

user_store 0 >"$RUN/config/Zelmar GmbH/Calvix.reg"
walk normal --mode normal --warm-up "$WARMUP"

# Expert mode opens a scan of the chart as the emulated Q71 renders it.
# A little blur and misregistration, so that the Quality page has edges to measure.
build/bin/q71-render --it8 "$REF" --rotate 0.4 --noise 2 --blur 0.8 --misregister 0.3,0,0,-0.2 \
  -o "$RUN/scan-front.bmp" >/dev/null
user_store 1 >"$RUN/config/Zelmar GmbH/Calvix.reg"
walk expert --mode expert --image "$RUN/scan-front.bmp"

echo "PNG files in $OUT"
exit $status
