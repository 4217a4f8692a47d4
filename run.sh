#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Kavrel with the given arguments
# (the file to open). A first argument that names a kavrel-cli command runs
# the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/build.sh >&2
case "${1:-}" in
  list|extract|render|convert|to-icl|import-picture|create|--help|-h)
    exec build/cli/kavrel-cli "$@" ;;
esac
if [ ! -x build/app/kavrel ]; then
  echo "run.sh: build/app/kavrel was not built (is Qt 6 installed?)" >&2
  exit 1
fi
# Kavrel shows itself on the display the session has; without one it runs
# on Qt's offscreen platform, where it can still take files from a second
# Kavrel but shows nothing.
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found; starting Kavrel offscreen" >&2
  export QT_QPA_PLATFORM=offscreen
fi
exec build/app/kavrel "$@"
