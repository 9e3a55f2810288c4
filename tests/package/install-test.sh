#!/usr/bin/env bash
# Install test of the Debian packages: installs calvix and calvix-q71-emulator (dpkg -i as root,
# else unpacked into a scratch root), checks the installed layout, calibrates the emulated Q71
# with the installed `calvix --unattended`, verifies the result with the installed calvix-verify
# when the package has it, and removes the packages again.
# Usage: tests/package/install-test.sh CALVIX.deb EMULATOR.deb
# PACKAGE_TEST_MODE=extract unpacks into a scratch root even as root (no system change).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 CALVIX.deb EMULATOR.deb" >&2; exit 2; }
CALVIX_DEB=$(realpath "$1")
EMULATOR_DEB=$(realpath "$2")
REFERENCE=$(realpath "$(dirname "$0")/../data/it8/R1.txt")
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/calvix-install-test.XXXXXX")
MODE=${PACKAGE_TEST_MODE:-}
if [ -z "$MODE" ]; then
  if [ "$(id -u)" -eq 0 ]; then MODE=dpkg; else MODE=extract; fi
fi
EMULATOR=""
INSTALLED=0

fail() { echo "install test: FAILED: $*" >&2; exit 1; }

cleanup() {
  local status=$?
  [ -n "$EMULATOR" ] && kill "$EMULATOR" 2>/dev/null && wait "$EMULATOR" 2>/dev/null
  if [ "$MODE" = dpkg ] && [ "$INSTALLED" -eq 1 ]; then
    dpkg --purge calvix calvix-q71-emulator >/dev/null || status=1
  fi
  if [ $status -ne 0 ]; then
    echo "install test: logs kept in $SCRATCH" >&2
  else
    rm -rf "$SCRATCH"
  fi
  exit $status
}
trap cleanup EXIT

# Installation.
if [ "$MODE" = dpkg ]; then
  for p in calvix calvix-q71-emulator; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      fail "$p is already installed on this machine; remove it first (dpkg -r $p)"
    fi
  done
  echo "install test: dpkg -i $(basename "$CALVIX_DEB") $(basename "$EMULATOR_DEB")"
  INSTALLED=1
  dpkg -i "$CALVIX_DEB" "$EMULATOR_DEB" >"$SCRATCH/dpkg.log" 2>&1 || { cat "$SCRATCH/dpkg.log"; fail "dpkg -i"; }
  echo "install test: installed after ${SECONDS} s"
  ROOT=""
else
  echo "install test: unpacking both packages into $SCRATCH/root"
  dpkg -x "$CALVIX_DEB" "$SCRATCH/root"
  dpkg -x "$EMULATOR_DEB" "$SCRATCH/root"
  ROOT="$SCRATCH/root"
fi
BIN="$ROOT/usr/bin"

# The layout: programs, the system directory, documentation, a man page for every program.
for f in usr/bin/calvix usr/bin/calvix-analyze usr/bin/q71-scan usr/bin/q71-emulator usr/bin/q71-render \
         usr/lib/calvix/twain_32.so usr/lib/calvix/twain_32/zelmar/q71.ds usr/lib/calvix/twain_32/zelmar/zedareru.zi \
         usr/share/applications/calvix.desktop usr/share/icons/hicolor/scalable/apps/calvix.svg \
         usr/share/doc/calvix/copyright usr/share/doc/calvix/changelog.gz \
         usr/share/doc/calvix-q71-emulator/copyright usr/share/doc/calvix-q71-emulator/changelog.gz; do
  [ -e "$ROOT/$f" ] || fail "/$f is not installed"
done
for program in "$BIN"/calvix* "$BIN"/q71-*; do
  name=${program##*/}
  [ -f "$ROOT/usr/share/man/man1/$name.1.gz" ] || fail "$name has no man page"
  out=$("$program" --help 2>&1) || fail "$name --help: $out"
  # Only calvix writes the log's header, and only into its log.
  case "$out" in *"Calvix Log File"*) fail "$name --help prints the log header" ;; esac
done
if [ -d "$ROOT/usr/share/calvix/help" ]; then
  [ -f "$ROOT/usr/share/calvix/help/en/index.html" ] || fail "help pages without en/index.html"
  echo "install test: help pages installed"
fi

# A calibration of the emulated scanner from the installed programs. The system directory is
# found from the installed layout (../lib/calvix beside the program), not from the environment.
unset CALVIX_SYSTEM_DIR
RUN="$SCRATCH/run"
mkdir -p "$RUN/config/Zelmar GmbH" "$RUN/data" "$RUN/runtime" "$RUN/state"
export XDG_DATA_HOME="$RUN/data" XDG_CONFIG_HOME="$RUN/config" XDG_RUNTIME_DIR="$RUN/runtime" XDG_STATE_HOME="$RUN/state"
printf '[Software\\Zelmar GmbH\\Calvix]\r\n"WarmUpTime"=dword:00000000\r\n' > "$RUN/config/Zelmar GmbH/Calvix.reg"
# An LED duplex scanner (no lamp warm-up) whose two sensors are off in different ways.
"$BIN/q71-emulator" --listen 127.0.0.1:0 --state "$RUN/device.state" --log "$RUN/emulator.log" \
  --duplex 1 --led 1 --noise 1.0 --seed 3 --front-response '0.92,0.02,1.2' --rear-response '1.05,0.0,0.9' \
  --feed "chart-on=front,it8=$REFERENCE" --feed "chart-on=rear,it8=$REFERENCE" > "$RUN/emulator.out" &
EMULATOR=$!
for _ in $(seq 100); do
  grep -q 'listening on' "$RUN/emulator.out" 2>/dev/null && break
  kill -0 "$EMULATOR" 2>/dev/null || fail "q71-emulator did not start: $(cat "$RUN/emulator.out")"
  sleep 0.1
done
Q71_ADDRESS=$(sed -n 's/.*listening on //p' "$RUN/emulator.out")
[ -n "$Q71_ADDRESS" ] || fail "q71-emulator did not say where it listens"
export Q71_ADDRESS

echo "install test: $BIN/calvix --unattended against the installed q71-emulator on $Q71_ADDRESS"
status=0
"$BIN/calvix" --unattended --reference "$REFERENCE" > "$RUN/calvix.out" 2>&1 || status=$?
[ $status -eq 0 ] || { cat "$RUN/calvix.out"; fail "calvix --unattended ended with status $status"; }
echo "install test: calibrated after ${SECONDS} s"
sed -n 's/^Time: /install test: calvix: /p' "$RUN/calvix.out"
grep -q "LUT uploaded and acknowledged" "$RUN/calvix.out" || { cat "$RUN/calvix.out"; fail "no upload reported"; }
grep -q '^lut=[0-9a-fA-F]' "$RUN/device.state" || fail "the emulator holds no LUT after the run"

if [ -x "$BIN/calvix-verify" ]; then
  echo "install test: the package has calvix-verify: verifying the calibration with it"
  "$BIN/q71-emulator" feed --chart-on front --it8 "$REFERENCE" >/dev/null
  "$BIN/q71-emulator" feed --chart-on rear --it8 "$REFERENCE" >/dev/null
  status=0
  "$BIN/calvix-verify" --unattended --reference "$REFERENCE" > "$RUN/verify.out" 2>&1 || status=$?
  [ $status -eq 0 ] || { cat "$RUN/verify.out"; fail "calvix-verify ended with status $status"; }
  grep -v '^ ' "$RUN/verify.out" | tail -n 3
else
  echo "install test: the package has no calvix-verify: verification skipped"
fi

# Removal: nothing of either package stays behind.
kill "$EMULATOR" && wait "$EMULATOR" 2>/dev/null || true
EMULATOR=""
if [ "$MODE" = dpkg ]; then
  dpkg -r calvix calvix-q71-emulator >"$SCRATCH/dpkg-r.log" 2>&1 || { cat "$SCRATCH/dpkg-r.log"; fail "dpkg -r"; }
  INSTALLED=0
  for f in /usr/bin/calvix /usr/bin/q71-emulator /usr/lib/calvix /usr/share/man/man1/calvix.1.gz; do
    [ ! -e "$f" ] || fail "$f is still there after dpkg -r"
  done
  dpkg --purge calvix >>"$SCRATCH/dpkg-r.log" 2>&1
  [ ! -e /usr/share/doc/calvix ] || fail "/usr/share/doc/calvix is still there after the purge"
fi
echo "install test: passed ($MODE, ${SECONDS} s)"
