#!/bin/sh
# Installs what is missing, builds, then starts the reference CAD host with the
# sample drawing and MIRTEX aimed at it (the host serves MIRTEX's default
# ProgID). Without a display both run on a private Xvfb.
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
