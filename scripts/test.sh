#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite headless.
# Exits non-zero when anything fails.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
. scripts/desktop.sh
MIRTEX_FORCE_XVFB=1 mirtex_start_desktop
status=0
ctest --test-dir build --output-on-failure -j2 || status=$?
exit $status
