#!/usr/bin/env bash
# Installs what is missing, builds, and draws the built-in demo model.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target zvhlr_cli
./build/tools/zvhlr --stats
