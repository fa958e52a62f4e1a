#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from its
# portable folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_BUILD_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"
exec build/dist/kestrova "$@"
