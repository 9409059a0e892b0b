#!/usr/bin/env bash
# Starts the editor under Xvfb in the given working directory and saves a screenshot.
# Usage: scripts/screenshot.sh OUT.png [WORKDIR] [SECONDS]
set -euo pipefail
out=$(realpath -m "$1"); dir=${2:-$PWD}; wait=${3:-3}
bin=$(realpath "$(dirname "$0")/../build/velmora")
cd "$dir"
xvfb-run -a -s "-screen 0 900x520x24" bash -c "'$bin' & pid=\$!; sleep $wait; import -window root '$out'; kill \$pid"
