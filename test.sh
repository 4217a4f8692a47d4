#!/usr/bin/env bash
# Sets up what is missing, builds, runs every test, then a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/build.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
bash scripts/fuzz-smoke.sh "${KAVREL_FUZZ_SECONDS:-15}"
