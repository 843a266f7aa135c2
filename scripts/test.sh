#!/usr/bin/env bash
# Installs what is missing, builds (normal and ASan/UBSan), checks the formatting, starts a
# throw-away PostgreSQL cluster, runs every test suite on SQLite and PostgreSQL, and runs
# each fuzz target briefly from its corpus (RAPPORTS_FUZZ_SECONDS each, 5 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=$(nproc)

./scripts/setup.sh

echo "== format"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
if ! clang-format --dry-run -Werror $files; then
  echo "test: sources are not clang-formatted (run scripts/format.sh)" >&2
  exit 1
fi

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$JOBS"

echo "== build (sanitizers)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DRAPPORTS_SANITIZE=ON -DRAPPORTS_GUI=OFF \
      -DRAPPORTS_BENCH=OFF > /dev/null
cmake --build build-asan -j "$JOBS"

# A fixed seed makes the brief run the same on every machine: a finding shows up when the
# code changes, not by chance on an unrelated commit. Longer runs with other seeds belong to
# scripts/fuzz.sh by hand.
echo "== fuzz targets (clang, ASan/UBSan), ${RAPPORTS_FUZZ_SECONDS:-5} s each"
./scripts/fuzz.sh all "${RAPPORTS_FUZZ_SECONDS:-5}" -seed="${RAPPORTS_FUZZ_SEED:-1}"

source scripts/pg-cluster.sh
trap pg_cluster_stop EXIT
pg_cluster_start

export QT_QPA_PLATFORM=offscreen
echo "== tests"
ctest --test-dir build --output-on-failure -j "$JOBS" --timeout 600
echo "== tests (sanitizers)"
# The reconciliations over the medium demo practice run in the normal build only: under the
# sanitizers they would take most of the budget and find nothing the other suites do not.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 900 -LE reconcile
echo "test: all suites passed"
