#!/usr/bin/env bash
# Runs a libFuzzer target for a while: scripts/fuzz.sh [TARGET] [SECONDS]
# Targets: fuzz_template_load (default), and those under fuzz/<layer>/.
# Not part of CI. Crashes are written to build-fuzz/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGET=${1:-fuzz_template_load}
SECONDS_TO_RUN=${2:-60}
if ! command -v clang++ >/dev/null || [ ! -d /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux ]; then
  apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi
bash scripts/install-deps.sh
if [ ! -f build-fuzz/build.ninja ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZQBP_FUZZ=ON -DZQBP_TESTS=OFF
fi
cmake --build build-fuzz --target "$TARGET"
mkdir -p build-fuzz/corpus-"$TARGET"
# Seed the template fuzzer with the samples.
if [ "$TARGET" = fuzz_template_load ] && [ -x build/cli/zqbp-batch ]; then
  for s in samples/*.json; do
    build/cli/zqbp-batch build "$s" -o build-fuzz/corpus-"$TARGET"/"$(basename "$s" .json)".tpl 2>/dev/null || true
  done
fi
BIN=$(find build-fuzz -type f -name "$TARGET" -perm -u+x | head -1)
cd build-fuzz
QT_QPA_PLATFORM=offscreen "../$BIN" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 corpus-"$TARGET"
