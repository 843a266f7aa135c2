#!/usr/bin/env bash
# Formats every C++ source of the project in place.
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
