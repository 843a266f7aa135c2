#!/usr/bin/env bash
# Fuzzes one target of fuzz/ (formula, selection, ini, ppset, dlgtemplate, template,
# sqlnorm), or each in turn with "all":
#   scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
# SECONDS defaults to $RAPPORTS_FUZZ_SECONDS, else 5. The targets are built first in
# build-fuzz with clang (RAPPORTS_FUZZ_NO_BUILD=1 skips that; RAPPORTS_FUZZ_BUILD_DIR names
# another folder). The run starts from the checked-in seeds of fuzz/corpus/TARGET, which it
# reads and never writes; new inputs go to <build>/fuzz-corpus/TARGET. A crash, a hang
# (over 10 s on one input) or a sanitizer report stops it with a non-zero exit and leaves
# the input as <build>/fuzz-artifacts/TARGET-crash-*: once fixed, copy it into the seeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RAPPORTS_FUZZ_BUILD_DIR:-$root/build-fuzz}
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-${RAPPORTS_FUZZ_SECONDS:-5}}
shift $(($# >= 2 ? 2 : 1))

if [ "${RAPPORTS_FUZZ_NO_BUILD:-0}" != 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug -DRAPPORTS_FUZZ=ON -DRAPPORTS_GUI=OFF -DRAPPORTS_TESTS=OFF \
        -DRAPPORTS_BENCH=OFF > /dev/null
  if [ "$target" = all ]; then what=fuzzers; else what=fuzz_$target; fi
  cmake --build "$build" -j "$(nproc)" --target "$what"
fi

if [ "$target" = all ]; then
  status=0
  for src in "$root"/fuzz/*_fuzz.cpp; do
    name=$(basename "$src" _fuzz.cpp)
    echo "== fuzz $name ($seconds s)"
    RAPPORTS_FUZZ_NO_BUILD=1 RAPPORTS_FUZZ_BUILD_DIR=$build "$0" "$name" "$seconds" "$@" || status=1
  done
  exit $status
fi

exe=$build/bin/fuzz_$target
seeds=$root/fuzz/corpus/$target
if [ ! -x "$exe" ] || [ ! -d "$seeds" ]; then
  echo "fuzz: no target $target (fuzz/${target}_fuzz.cpp and fuzz/corpus/$target)" >&2
  exit 2
fi
work=$build/fuzz-corpus/$target
mkdir -p "$work" "$build/fuzz-artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
     -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" "$@" "$work" "$seeds"
