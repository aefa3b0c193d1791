#!/usr/bin/env bash
# Configures and builds zqbp into build/ (incremental; ccache when present).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
# Let ccache share objects between checkouts in different folders (CI clones anew).
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$BUILD_DIR" -j "$JOBS"
