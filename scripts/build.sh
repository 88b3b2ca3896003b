#!/bin/sh
# Configures and builds the Release tree in build/ of the checkout.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
