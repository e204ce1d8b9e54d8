#!/usr/bin/env bash
# The native saver beside xscreensaver's glplanet: each drawn on the root of
# one private Xvfb 1280x1024 with Mesa's software renderer, for S seconds at
# its own 30 ms pacing.  Frames per second from Mesa's HUD dump, processor
# milliseconds per frame (the program plus the X server, from /proc), peak
# resident memory, and the time from launch to the first non-black centre.
#   bench/saver.sh NIVAREL [SECONDS]   (run on a display by scripts/bench --saver)
set -uo pipefail
nivarel=$1
seconds=${2:-20}
peer=/usr/libexec/xscreensaver/glplanet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe XDG_CONFIG_HOME=$work/config
server=$(pgrep -n -x Xvfb)  # the display's server, started just before us by with-display

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
lit() {
  local g
  g=$(import -window root -gravity center -crop 40x40+0+0 +repage -colorspace gray -format '%[fx:maxima]' info: 2>/dev/null)
  awk -v g="${g:-0}" 'BEGIN { exit !(g > 0.1) }'
}

# measure NAME COMMAND...: prints "name fps cpu-ms/frame rss-MB first-frame-ms"
measure() {
  local name=$1; shift
  mkdir -p "$work/$name"
  local start=${EPOCHREALTIME/./}
  GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR=$work/$name "$@" >/dev/null 2>&1 &
  local pid=$!
  until lit; do kill -0 "$pid" 2>/dev/null || { echo "$name ended early" >&2; return 1; }; done
  local first=$(( (${EPOCHREALTIME/./} - start) / 1000 ))
  local cpu0=$(( $(ticks "$pid") + $(ticks "$server") ))
  sleep "$seconds"
  local cpu1=$(( $(ticks "$pid") + $(ticks "$server") ))
  local rss=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null
  local fps=$(awk '{ s += $NF; n++ } END { printf "%.1f", n ? s / n : 0 }' "$work/$name/fps" 2>/dev/null)
  local hz=$(getconf CLK_TCK)
  awk -v n="$name" -v f="$fps" -v c=$((cpu1 - cpu0)) -v hz="$hz" -v s="$seconds" -v r="$rss" -v t="$first" \
    'BEGIN { printf "%s %s %.1f %.1f %d\n", n, f, (f > 0 ? c * 1000 / hz / (f * s) : 0), r / 1024, t }'
}

measure nivarel "$nivarel" --root >"$work/ours" || exit 1
measure glplanet "$peer" --root --delay 30000 >"$work/peer" || exit 1
read -r _ f1 c1 r1 t1 <"$work/ours"
read -r _ f2 c2 r2 t2 <"$work/peer"
echo "Saver beside glplanet: root of Xvfb 1280x1024, Mesa llvmpipe, ${seconds} s each; $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)"
echo "| program | fps | CPU ms/frame (process + X) | peak RSS MB | first frame ms |"
echo "|---|--:|--:|--:|--:|"
echo "| nivarel | $f1 | $c1 | $r1 | $t1 |"
echo "| glplanet | $f2 | $c2 | $r2 | $t2 |"
awk -v a="$f1" -v b="$f2" -v c="$c1" -v d="$c2" -v e="$r1" -v f="$r2" -v g="$t1" -v h="$t2" \
  'BEGIN { printf "| nivarel/glplanet | %.2f | %.2f | %.2f | %.2f |\n", a/b, c/d, e/f, g/h }'
