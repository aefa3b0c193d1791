#!/usr/bin/env bash
# Fuzzes the formula tokenizer, parser and evaluator for SECONDS (default 60)
# with libFuzzer, in its own clang build (build-fuzz-expr/). Not part of CI.
# Findings land in build-fuzz-expr/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
BUILD_DIR=build-fuzz-expr

if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  # The library is instrumented too, so the fuzzer sees coverage inside the calculator.
  CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZQBP_FUZZ=ON -DZQBP_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"
fi
cmake --build "$BUILD_DIR" -j "${JOBS:-2}" --target zqbp_fuzz_expr

CORPUS="$BUILD_DIR/corpus-expr"
mkdir -p "$CORPUS" "$BUILD_DIR/findings"
cp -n fuzz/expr/seeds/* "$CORPUS/" 2>/dev/null || true
"$BUILD_DIR/fuzz/expr/zqbp_fuzz_expr" "$CORPUS" -max_total_time="$SECONDS_TO_RUN" -max_len=512 \
  -artifact_prefix="$BUILD_DIR/findings/" -print_final_stats=1
