#!/usr/bin/env bash
# The typical full-screen run: one topmost saver window over the screen showing
# the world before the starfield; Page Down, then Esc; the view is saved.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
start_saver /s
check "the saver window appears" wait_for_saver

info=$(describe "Screen Saver")
read -r width height <<<"$(screen_size)"
check "exactly one saver window" equals 1 "$(field count <<<"$info")"
check "of the screen-saver class" equals WindowsScreenSaverClass "$(field class <<<"$info")"
check "a visible pop-up that clips siblings and children" equals 0x96000000 "$(field style <<<"$info")"
check "topmost" equals 0x00000008 "$(field exstyle <<<"$info")"
check "over the whole screen" equals "0,0,$width,$height" "$(field rect <<<"$info")"
check "in the foreground" equals 1 "$(field foreground <<<"$info")"

# The world fills the middle of the screen; the starfield beside it is dark
# with bright points; the corners, beyond the backdrop, are black.
shot="$E2E_WORK/typical.png"
centre="$((height / 5))x$((height / 5))+$((width / 2 - height / 10))+$((height / 2 - height / 10))"
# The window comes first, the first frame once both pictures are decoded: on a
# busy machine that can take a while, so the picture is taken once it is there.
world_drawn() { screenshot "$shot" && above 0.2 "$(region_stat "$shot" "$centre" mean)"; }
poll 20 world_drawn
sky_x=$((width / 2 - height * 49 / 100))
sky="$((height / 20))x$((height / 4))+$sky_x+$((height * 3 / 8))"
corner="$((width / 20))x$((height / 20))+0+0"
check "the world is lit in the middle" above 0.2 "$(region_stat "$shot" "$centre" mean)"
check "the sky beside it is dark" below 0.1 "$(region_stat "$shot" "$sky" mean)"
check "with stars in it" above 0.3 "$(region_stat "$shot" "$sky" maxima)"
check "the corners are black" below 0.02 "$(region_stat "$shot" "$corner" mean)"

send_keys Next
send_keys Escape
wait_for_exit 30
check "Esc ends the saver with exit code 0" equals 0 "$SAVER_EXIT"

# Page Down at depth 192 moved the world 3 units nearer; the rest is the
# built-in preset.
for expected in "mod1 depth=18900" "mod1 horz=0" "mod1 vert=0" "mod1 xrot=0" "mod1 yrot=0" \
                "mod1 zrot=0" "mod1 speed=50" "mod1 active=1" "cycle time=15"; do
  name=${expected%=*}
  check "\"$name\" is saved as ${expected#*=}" equals "${expected#*=}" "$(setting "$name")"
done
finish
