#!/bin/sh
# Installs what is missing, builds, then starts the reference CAD host with the
# sample drawing and MIRTEX aimed at it. Without a display it runs both on a
# private Xvfb and saves screenshots to build/demo/.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
. scripts/desktop.sh
mirtex_start_desktop
./build/bin/cadhost samples/plan.dxf &
MIRTEX_PIDS="$MIRTEX_PIDS $!"
sleep 2
./build/bin/MIRTEX
