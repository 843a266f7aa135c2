#!/usr/bin/env bash
# Prints the receivable benchmarks as a Markdown table: report, engine, time, full-semantics
# floor, ratio, microseconds per ledger row, peak memory. Each measure runs in a process of
# its own (so that its peak memory is its own) RUNS times (default 3); the table gives the
# median time and the largest peak.
#   bench/table.sh [engine...]      engines: sqlite, postgresql (default both)
# Environment: RAPPORTS_BENCH_SIZE (medium, large, group), RAPPORTS_BENCH_DIR,
# RAPPORTS_BENCH_PG (the PostgreSQL practice), RUNS, BENCH (the benchmark binary), MEASURES
# (a space-separated subset of the measures below, e.g. "AccountReportByProducer QuickList").
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH=${BENCH:-build/bench/bench_ar}
RUNS=${RUNS:-3}
engines=("$@")
[ ${#engines[@]} -gt 0 ] || engines=(sqlite postgresql)
measures=(Floor FullFloor AccountReportByProducer AccountReportByBillingDoctor
          SummaryOnlyByProducer SummaryOnlyByBillingDoctor QuickList AccountReportPreview)
if [ -n "${MEASURES:-}" ]; then read -ra measures <<< "$MEASURES"; fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for engine in "${engines[@]}"; do
  case $engine in
    sqlite) arg=0 ;;
    postgresql) arg=1 ;;
    *) echo "table.sh: unknown engine $engine" >&2; exit 2 ;;
  esac
  for m in "${measures[@]}"; do
    for _ in $(seq "$RUNS"); do
      "$BENCH" --benchmark_filter="^BM_$m/$arg/" --benchmark_format=json 2>/dev/null |
        python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("error_occurred"):
        sys.exit("table.sh: " + b["name"] + ": " + b.get("error_message", ""))
    ms = b["real_time"] * {"ms": 1, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b["time_unit"]]
    print(sys.argv[1], sys.argv[2], ms, b.get("peak_MB", 0), b.get("ledger_rows", 0))
' "$engine" "$m" >> "$out"
    done
  done
done
python3 - "$out" "${RAPPORTS_BENCH_SIZE:-large}" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    engine, m, ms, peak, ledger = line.split()
    r = rows.setdefault((engine, m), {"ms": [], "peak": 0.0, "ledger": 0})
    r["ms"].append(float(ms))
    r["peak"] = max(r["peak"], float(peak))
    r["ledger"] = int(float(ledger))
names = {
    "Floor": "floor: charges less applications",
    "FullFloor": "floor: the report's rules per charge, by producer",
    "AccountReportByProducer": "by account (kind 0), by producer",
    "AccountReportByBillingDoctor": "by account (kind 0), by billing doctor",
    "SummaryOnlyByProducer": "summary only (kind 2), by producer",
    "SummaryOnlyByBillingDoctor": "summary only (kind 2), by billing doctor",
    "QuickList": "quick list (stored balances)",
    "AccountReportPreview": "by account (kind 0), by producer, with the preview's PDF",
}
print(f"Practice: {sys.argv[2]}")
print("| Report | Engine | Time | Full floor | Ratio | µs per ledger row | Peak memory |")
print("|---|---|---|---|---|---|---|")
for (engine, m), r in rows.items():
    t = statistics.median(r["ms"]) / 1000
    floor = rows.get((engine, "FullFloor"))
    f = statistics.median(floor["ms"]) / 1000 if floor else 0
    ratio = f"{t / f:.2f}" if f else "-"
    per_row = f"{t * 1e6 / r['ledger']:.2f}" if r["ledger"] else "-"
    print(f"| {names[m]} | {engine} | {t:.2f} s | {f:.2f} s | {ratio} | {per_row} | "
          f"{r['peak']:.0f} MB |")
EOF
