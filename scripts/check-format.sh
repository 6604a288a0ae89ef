#!/usr/bin/env bash
# Every C++ file in the repository is laid out as .clang-format says.
# Prints the places that are not and exits 1 if any.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
