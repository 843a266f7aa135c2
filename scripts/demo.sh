#!/usr/bin/env bash
# The main job on the embedded default: installs what is missing, builds, creates the demo
# practice in SQLite (once), prints its summary and runs the receivable report over it
# (text, XML data and the PDF of its template in out/rapports).
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
echo
echo "== Rapport des comptes à recevoir (catalogue 102)"
./build/bin/rapports run 102 --db "$DB" --out "$OUT" --output-kind 3 \
  --set kind=0 --set overdue=2 --set notes=Y
