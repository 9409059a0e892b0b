#!/usr/bin/env bash
# Starts build/velmora under Xvfb with a small window manager, optionally opens
# an image through File > Open, and saves a screenshot of the screen. The editor
# starts in the image's folder when that holds a velmora.ini (as the demo folder
# does), else in an empty folder with an empty settings file.
# Usage: scripts/screenshot.sh OUT.png [IMAGE [X Y]]   (X Y: a screen point to click after opening)
set -euo pipefail
need=()
for tool in import:imagemagick xdotool:xdotool openbox:openbox xvfb-run:xvfb; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
out=$(realpath -m "$1"); image=${2:+$(realpath "$2")}; click=${3:+$3 $4}
bin=$(realpath "$(dirname "$0")/../build/velmora")
if [ -n "$image" ] && [ -f "$(dirname "$image")/velmora.ini" ]; then
  work=$(dirname "$image")
else
  work=$(mktemp -d); touch "$work/velmora.ini"
fi
cd "$work"
xvfb-run -a -s "-screen 0 900x560x24" bash -c "
  openbox >/dev/null 2>&1 & sleep 1
  '$bin' & pid=\$!; sleep 2
  xdotool search --onlyvisible --name VELMORA windowactivate --sync >/dev/null 2>&1 || true
  if [ -n '$image' ]; then
    xdotool key ctrl+o; sleep 1.5
    xdotool search --onlyvisible --name 'Open binary' windowactivate --sync >/dev/null 2>&1 || true
    xdotool type --delay 20 '$image'; xdotool key Return; sleep 1.5
  fi
  if [ -n '$click' ]; then xdotool mousemove $click click 1; sleep 0.5; xdotool mousemove 0 0; sleep 0.3; fi
  import -window root '$out'; kill \$pid"
