#!/usr/bin/env bash
# Rewrites the golden text reports (tests/golden/*.txt) from the current build over the small
# demo practice on SQLite. Review every change with `git diff tests/golden` before committing:
# a golden text is only as good as the figures someone checked in it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j "$(nproc)" --target test_golden rapports rapports_module > /dev/null
RAPPORTS_UPDATE_GOLDEN=1 build/bin/test_golden --gtest_filter='Cases/Golden.*/sqlite_*'
git status --short tests/golden
