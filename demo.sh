#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the demo: the editor in a
# window when a display is there, otherwise a picture of it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh
exec build/crest-host "$@"
