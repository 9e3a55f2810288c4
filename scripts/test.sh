#!/usr/bin/env bash
# Set up, build and run every test: the whole program (GUI tests offscreen), then every test again
# under AddressSanitizer and UndefinedBehaviorSanitizer (the windows too, offscreen) and a short
# smoke run of every fuzz target (clang/libFuzzer), then the Debian packages made from build/
# (lintian, and an install test that calibrates the emulated scanner with the installed programs).
# Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

echo "== build and test (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

echo "== all tests, the windows' too, and fuzz smoke runs under ASan+UBSan (clang, one build)"
# One instrumented tree serves the sanitized tests and the fuzz targets: every library carries
# ASan, UBSan and the fuzzer's coverage, so a second full compile of the core is not needed.
# The windows are in it as well: their faults (an object freed under a window still drawing it)
# show only there, and they add a few minutes. Qt itself is not instrumented.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALVIX_SANITIZE=ON -DCALVIX_FUZZ=ON -DCALVIX_GUI=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j2

echo "== Debian packages from build/: lintian and the install test"
scripts/package.sh --from build
