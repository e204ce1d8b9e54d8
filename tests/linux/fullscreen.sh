#!/usr/bin/env bash
# The full-screen saver ends on a key, and on the mouse only beyond 100
# pixels from where the pointer was at the start; it saves the view.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

up() { poll 20 shown Nivarel && poll 10 lit root; }
xdotool mousemove 400 300
start --fullscreen
check "it covers the screen" up
xdotool key x
check "a key ends it with exit code 0" exits_with 0 10
check "the view is saved" [ "$(stored 'mod1 depth')" = 19200 ]

xdotool mousemove 400 300
start -fullscreen
up
xdotool mousemove 460 339
check "a move of 99 pixels keeps it running" stays 2
xdotool mousemove 460 341
check "a move of 101 pixels ends it with exit code 0" exits_with 0 10
finish
