#!/usr/bin/env bash
# The main job on the embedded default: installs what is missing, builds, creates the demo
# practice in SQLite (once) and runs the reports over it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)"

STATION=${RAPPORTS_STATION_DIR:-$PWD/out/station}
OUT=${RAPPORTS_OUTPUT_DIR:-$PWD/out/rapports}
DB="sqlite:$STATION/demo.db"
mkdir -p "$STATION" "$OUT"
export RAPPORTS_STATION_DIR=$STATION

if [ ! -s "$STATION/demo.db" ]; then
  ./build/bin/rapports demo --db "$DB" --size medium --seed 1
fi
./build/bin/rapports demo --db "$DB" --summary
