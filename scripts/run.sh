#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the main job: the sample
# receipt is built from its JSON and rendered filled to a PDF.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
OUT=${OUT:-$BUILD_DIR/out}
mkdir -p "$OUT"
"$BUILD_DIR/cli/zqbp-batch" build samples/receipt.json -o "$OUT/receipt.tpl"
"$BUILD_DIR/cli/zqbp-batch" render "$OUT/receipt.tpl" -o "$OUT/receipt.pdf"
echo "$(cd "$OUT" && pwd)/receipt.pdf"
# With a display, open the cheque sample in the program to be filled in by hand.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  "$BUILD_DIR/cli/zqbp-batch" build samples/cheque.json -o "$OUT/cheque.tpl"
  exec "$BUILD_DIR/apps/zqbp/zqbp" "$OUT/cheque.tpl"
fi
