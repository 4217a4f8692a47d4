#!/usr/bin/env bash
# Configures (once) and builds Kavrel incrementally in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
werror=OFF
[ -n "${CI:-}" ] && werror=ON
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DKAVREL_WERROR=$werror
fi
cmake --build build -j"$(nproc)"
