#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, replays the committed
# corpus and the generated seeds, then fuzzes each target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKAVREL_FUZZ=ON -DKAVREL_GUI=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build-fuzz -j"$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
build-fuzz/fuzz/kavrel_fuzz_seeds "$work/seeds"
status=0
for exe in build-fuzz/fuzz/*_fuzz; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe" _fuzz)
  corpus="$work/corpus/$name"
  mkdir -p "$corpus"
  [ -d "$work/seeds/$name" ] && cp -r "$work/seeds/$name/." "$corpus/"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  echo "fuzz: $name ($(ls "$corpus" | wc -l) inputs, ${seconds}s)"
  if ! "$exe" -rss_limit_mb=512 -malloc_limit_mb=256 -timeout=5 -max_total_time="$seconds" \
      -artifact_prefix="$work/" -print_final_stats=0 "$corpus" >"$work/$name.log" 2>&1; then
    echo "fuzz: $name FAILED" >&2
    tail -n 60 "$work/$name.log" >&2
    mkdir -p fuzz/crashes && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* fuzz/crashes/ 2>/dev/null || true
    status=1
  fi
done
exit $status
