#!/usr/bin/env bash
# The native saver beside xscreensaver's glplanet: each drawn on the root of
# one private Xvfb 1280x1024 with Mesa's software renderer at its own 30 ms
# pacing.  R rounds; in each, both programs are launched one after the other
# (the order alternates from round to round, so that a change in the
# machine's load falls on both alike) and each is then measured for S
# seconds:
#   first frame  launch to the first non-black frame on the root (bench's
#                first-frame timer: Damage events, no polling)
#   fps          Mesa's HUD dump, only the periods inside the S seconds
#   CPU/frame    processor milliseconds of the program plus the X server over
#                the S seconds, divided by the frames drawn in them
#   peak RSS     the program's VmHWM at the end
# Each figure is the median over the rounds; the ratios are ours/glplanet.
#   bench/saver.sh NIVAREL FIRST_FRAME [SECONDS] [ROUNDS]
#   (run on a display of its own by scripts/bench --saver)
set -uo pipefail
nivarel=$1
timer=$2
seconds=${3:-20}
rounds=${4:-3}
peer=/usr/libexec/xscreensaver/glplanet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe XDG_CONFIG_HOME=$work/config

# The display's own server, from its lock file (other Xvfb may run beside it).
display_number=${DISPLAY#*:}
display_number=${display_number%%.*}
server=$(tr -d ' ' <"/tmp/.X${display_number}-lock")
kill -0 "$server" 2>/dev/null || { echo "saver.sh: no X server for $DISPLAY" >&2; exit 1; }
hz=$(getconf CLK_TCK)

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
lines() { [ -f "$1" ] && wc -l <"$1" || echo 0; }

# measure NAME COMMAND...: appends "fps cpu-ms/frame rss-MB first-frame-ms" to $work/NAME
measure() {
  local name=$1; shift
  local hud=$work/hud-$name
  rm -rf "$hud"; mkdir -p "$hud"
  local pid first
  read -r pid first < <(GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR=$hud \
                          "$timer" 30000 "$@" 2>/dev/null) || true
  if [ -z "${first:-}" ]; then echo "saver.sh: $name drew no frame" >&2; return 1; fi
  local cpu0=$(( $(ticks "$pid") + $(ticks "$server") )) n0=$(lines "$hud/fps")
  sleep "$seconds"
  local cpu1=$(( $(ticks "$pid") + $(ticks "$server") )) n1=$(lines "$hud/fps")
  local rss=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  awk -v n0="$n0" -v n1="$n1" -v c=$((cpu1 - cpu0)) -v hz="$hz" -v s="$seconds" -v r="$rss" -v t="$first" '
    NR > n0 && NR <= n1 { sum += $1; n++ }
    END { f = n ? sum / n : 0
          printf "%.1f %.1f %.1f %d\n", f, (f > 0 ? c * 1000 / hz / (f * s) : 0), r / 1024, t }' \
    "$hud/fps" >>"$work/$name"
}

# median FILE COLUMN
median() { awk -v c="$2" '{ print $c }' "$1" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo "Saver beside glplanet: root of Xvfb 1280x1024, Mesa llvmpipe, ${rounds} rounds of ${seconds} s each;" \
     "$(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1); load average $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then order="nivarel glplanet"; else order="glplanet nivarel"; fi
  for name in $order; do
    if [ "$name" = nivarel ]; then measure nivarel "$nivarel" --root || exit 1
    else measure glplanet "$peer" --root --delay 30000 || exit 1; fi
  done
  echo "round $round: nivarel $(tail -n 1 "$work/nivarel"); glplanet $(tail -n 1 "$work/glplanet")   (fps cpu-ms rss-MB first-ms)"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| program (median of $rounds) | fps | CPU ms/frame (process + X) | peak RSS MB | first frame ms |"
echo "|---|--:|--:|--:|--:|"
for name in nivarel glplanet; do
  echo "| $name | $(median "$work/$name" 1) | $(median "$work/$name" 2) | $(median "$work/$name" 3) | $(median "$work/$name" 4) |"
done
paste "$work/nivarel" "$work/glplanet" |
  awk '{ for (i = 1; i <= 4; i++) printf "%.3f ", ($(i + 4) ? $i / $(i + 4) : 0); print "" }' >"$work/ratios"
echo "| nivarel/glplanet (median of the rounds' ratios) | $(median "$work/ratios" 1) | $(median "$work/ratios" 2) |" \
     "$(median "$work/ratios" 3) | $(median "$work/ratios" 4) |"
