#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Kavrel with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/build.sh >&2
if [ -x build/app/kavrel ]; then
  exec build/app/kavrel "$@"
fi
exec build/cli/kavrel-cli "$@"
