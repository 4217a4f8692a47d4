#!/usr/bin/env bash
# Times kavrel-cli against its peers on the same files and prints the ratio:
#   kavrel-cli list  vs  icotool -l          on 1,000 ICO files
#   kavrel-cli list  vs  wrestool -l and -x  on a DLL with 2,000 icon groups
#   kavrel-cli create / convert  vs  ImageMagick convert on a 1024x1024 PNG
# Usage: bench/compare.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/cli/kavrel-cli"
[ -x "$cli" ] || { echo "compare: $cli not built" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Median wall time of a command in milliseconds over RUNS runs (default 15;
# the median, since a busy machine makes a few runs much slower than the
# rest). The figures are read from the end of hyperfine's CSV line: the
# command in front of them may hold commas of its own.
time_ms() {
  if command -v hyperfine >/dev/null; then
    # SHELL_NONE runs the command without a shell (its words split on
    # blanks, so no quoting in it).
    hyperfine ${SHELL_NONE:+-N} --warmup 2 --runs "${RUNS:-15}" --style none --export-csv "$work/t.csv" -- "$*" \
      >/dev/null 2>&1
    awk -F, 'NR == 2 { printf "%.1f", $(NF - 4) * 1000 }' "$work/t.csv"
  else
    local best=""
    for _ in 1 2 3 4 5; do
      local start end
      start=$(date +%s%N)
      bash -c "$*" >/dev/null 2>&1 || true
      end=$(date +%s%N)
      local ms=$(( (end - start) / 1000000 ))
      if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    echo "$best"
  fi
}

report() {  # name ours theirs
  awk -v n="$1" -v a="$2" -v b="$3" 'BEGIN {
    printf "%-34s kavrel %8.1f ms   peer %8.1f ms   ratio %.2f\n", n, a, b, (b > 0 ? a / b : 0) }'
}

# 1,000 ICO files: 16x16 and 32x32 in several depths, copied.
mkdir -p "$work/ico"
if command -v convert >/dev/null; then
  convert -size 32x32 gradient:red-blue \( +clone -resize 16x16 \) -colors 200 "$work/base.ico" 2>/dev/null
fi
if [ ! -s "$work/base.ico" ]; then
  echo "compare: ImageMagick's convert is needed to make the ICO files" >&2
  exit 1
fi
for i in $(seq 1 1000); do cp "$work/base.ico" "$work/ico/icon$i.ico"; done

if command -v icotool >/dev/null; then
  # The names are expanded here, once: a shell expanding the pattern on
  # every run would add the same few milliseconds to both tools' times.
  files=$(printf '%s ' "$work"/ico/*.ico)
  ours=$(SHELL_NONE=1 time_ms "$cli list $files")
  theirs=$(SHELL_NONE=1 time_ms "icotool -l $files")
  report "list 1,000 ICO files (icotool -l)" "$ours" "$theirs"
else
  echo "compare: icotool not installed; skipping the ICO comparison"
fi

# A DLL with 2,000 icon groups, built by the mingw tool chain.
if command -v i686-w64-mingw32-windres >/dev/null && command -v i686-w64-mingw32-gcc >/dev/null &&
   command -v wrestool >/dev/null; then
  cp "$work/base.ico" "$work/a.ico"
  for i in $(seq 1 2000); do echo "$i ICON \"a.ico\""; done > "$work/icons.rc"
  echo 'int __stdcall DllMain(void* h, unsigned r, void* p) { (void)h; (void)r; (void)p; return 1; }' > "$work/dll.c"
  (cd "$work" && i686-w64-mingw32-windres icons.rc -O coff -o icons.res &&
     i686-w64-mingw32-gcc -shared -nostdlib -e _DllMain@12 -o icons.dll dll.c icons.res) >/dev/null 2>&1 || true
  if [ -s "$work/icons.dll" ]; then
    ours=$(time_ms "'$cli' list '$work/icons.dll'")
    theirs=$(time_ms "wrestool -l '$work/icons.dll'")
    report "list a 2,000-icon DLL (wrestool -l)" "$ours" "$theirs"
    mkdir -p "$work/x"
    ours=$(RUNS=5 time_ms "rm -rf '$work/x1' && '$cli' extract '$work/icons.dll' -o '$work/x1'")
    theirs=$(RUNS=5 time_ms "rm -rf '$work/x2' && mkdir '$work/x2' && wrestool -x --type=14 -o '$work/x2' '$work/icons.dll'")
    report "extract a 2,000-icon DLL (wrestool -x)" "$ours" "$theirs"
  else
    echo "compare: the DLL could not be built; skipping the DLL comparison"
  fi
else
  echo "compare: mingw tool chain or wrestool missing; skipping the DLL comparison"
fi

# Modern icons: the ten sizes from a 1024x1024 PNG, then that icon read and
# written again, beside ImageMagick.
convert -size 1024x1024 radial-gradient:'rgba(255,128,0,1)-rgba(0,64,255,0)' \
  -fill 'rgba(255,255,255,0.6)' -draw 'circle 512,512 512,200' PNG32:"$work/big.png" 2>/dev/null || true
if [ -s "$work/big.png" ]; then
  ours=$(time_ms "'$cli' create '$work/sizes-ours.ico' '$work/big.png'")
  theirs=$(RUNS=5 time_ms "convert '$work/big.png' -define icon:auto-resize=256,128,96,64,48,40,32,24,20,16 '$work/sizes-im.ico'")
  report "ten sizes from a 1024 PNG (convert)" "$ours" "$theirs"
  ours=$(time_ms "'$cli' convert '$work/sizes-ours.ico' '$work/copy-ours.ico'")
  theirs=$(time_ms "convert '$work/sizes-ours.ico' '$work/copy-im.ico'")
  report "open and save a 10-format icon" "$ours" "$theirs"
else
  echo "compare: the 1024x1024 picture could not be made; skipping the size-set comparison"
fi
