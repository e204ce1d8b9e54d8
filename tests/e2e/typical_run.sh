#!/usr/bin/env bash
# The typical full-screen run: one topmost saver window over the screen showing
# the world in its starfield.  Page Down steers it; F11 shows the live values
# in a "Params" box, after which the saver goes on; moves of the mouse within
# 100 pixels (|dx| + |dy|) of where it was at the start never end it, one
# beyond does, and the view is saved.  (What each key does, and which keys
# stop, is decided by the keyboard control's unit tests.)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh_registry
xdotool mousemove 400 300
start_saver /s
check "the saver window appears" wait_for_saver
info=$(describe "Screen Saver")
read -r width height <<<"$(xdotool getdisplaygeometry)"
check "exactly one, topmost, over the whole screen" equals "1 0x00000008 0,0,$width,$height" \
  "$(field count <<<"$info") $(field exstyle <<<"$info") $(field rect <<<"$info")"

# The world lights the middle of the screen; the corners, beyond the
# starfield's backdrop, are black.  The first frame comes once both pictures
# are decoded, which a busy machine takes a while to do.
shot="$E2E_WORK/typical.png"
grey() { convert "$shot" -crop "$1" +repage -colorspace gray -format "%[fx:mean*100]" info: | cut -d. -f1; }
world_drawn() { import -window root "$shot" 2>/dev/null && [ "$(grey "$((height / 5))x$((height / 5))+$((width / 2 - height / 10))+$((height * 2 / 5))")" -gt 20 ]; }
check "the world is lit in the middle" poll 60 world_drawn
check "the corners are black" test "$(grey "$((width / 20))x$((height / 20))+0+0")" -lt 2

send_keys Next F11
check "F11 shows the Params box" wait_for_keyboard Params
send_keys Return
check "the box closes and the saver goes on" poll 30 has_keyboard "Screen Saver"
xdotool mousemove 460 340 mousemove 300 300
check "moves to (460 340) and (300 300), within 100 pixels, keep it running" stays_running 2
xdotool mousemove 460 341
wait_for_exit 30
check "a move to (460 341), 101 pixels away, ends it with exit code 0" equals 0 "$SAVER_EXIT"
# Page Down at depth 192 moved the world 3 units nearer.
check_settings "mod1 depth=18900" "mod1 speed=50" "mod1 active=1" "cycle time=15"
finish
