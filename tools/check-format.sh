#!/usr/bin/env bash
# Fails when a C++ file that git tracks is not formatted as the repository's .clang-format
# says, with Debian 12's clang-format 14 (formatting differs between versions).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
echo "every C++ file is formatted"
