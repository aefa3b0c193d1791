#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
# A real spooler for the printing tests (they skip their spooler cases without it).
bash scripts/spooler-setup.sh
cd "${BUILD_DIR:-build}"
ctest --output-on-failure -j "${JOBS:-$(nproc)}" --timeout 600
