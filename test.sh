#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh"
build="$root/build-tests"
# No debug information: each of the sixty-odd test, benchmark and fuzz programs
# links every library statically, and with it the build outgrows a CI disk.
# No benchmarks either: no test runs them, and their twenty programs are a
# tenth of a fresh build (configure with -DFOLIO_BENCH=ON to build them).
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DFOLIO_TESTS=ON -DFOLIO_BENCH=OFF
cmake --build "$build" -j "$(nproc)"
cd "$build"
# WebKitGTK refuses its sandbox as root; the tests run the web process without it.
export WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1
export WEBKIT_DISABLE_COMPOSITING_MODE=1
# A window test that finds no display fails here rather than being skipped:
# ctest counts a skip as a pass.
export FOLIO_REQUIRE_DISPLAY=1
# The same for LibreOffice, epubcheck, libwmf and the text-recognition data:
# the install step above brings them, so a missing one is a broken install.
export FOLIO_REQUIRE_TOOLS=1
# The tests' processes share one LibreOffice profile and every conversion
# LibreOffice made in this run (tests/support/LibreOfficeConverter.h).
office=$(mktemp -d)
trap 'rm -rf "$office"' EXIT
export FOLIO_TEST_LIBREOFFICE_FOLDER="$office"
# Tests come and go in parallel on one server: without -noreset it resets
# whenever the last one leaves, and a test connecting just then finds no display.
# Tests that move the real pointer come after the rest, each on a display of
# its own (cmake/FolioTargets.cmake), with a core to spare for each: a drag or
# a scroll they time goes astray when the machine is fully loaded. On a loaded
# machine the window system can still lose an event now and then, in either
# phase, so a test that fails is run once more; its first failure stays in the
# log.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j "$(nproc)" -LE pointer --repeat until-pass:2 || status=$?
pointer_jobs=$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j "$pointer_jobs" -L pointer --repeat until-pass:2 || status=$?
exit "$status"
