#!/usr/bin/env bash
# The window mode steers as the settings dialog's preview and saves the view
# on Esc or the window manager's close, unless --depth made the run a one-off
# look; F1 and F11 answer on stderr.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start
check "the window titled Nivarel appears" poll 20 shown Nivarel
xdotool windowfocus --sync "$(window_of Nivarel)" >/dev/null
xdotool key --delay 100 F1 Next Next F11 x
check "a key of no meaning keeps it running" stays 1
xdotool key Escape
check "Esc ends it with exit code 0" exits_with 0 10
check "Page Down twice from 192 saves 186" [ "$(stored 'mod1 depth')" = 18600 ]
check "F1 lists the keys on stderr" grep -q 'Page Down' "$WORK/err"
check "F11 prints the values on stderr" grep -q 'g_fDepth 186' "$WORK/err"

start --depth 150
poll 20 shown Nivarel && xdotool windowfocus --sync "$(window_of Nivarel)" >/dev/null
xdotool key --delay 100 Next F11 Escape
check "a run given --depth steers from it and ends on Esc" \
  eval 'exits_with 0 10 && grep -q "g_fDepth 147" "$WORK/err"'
check "and saves nothing" [ "$(stored 'mod1 depth')" = 18600 ]

# Under a window manager, its close (what the close button sends) ends the
# run as Esc does.
herbstluftwm -c /bin/true >/dev/null 2>&1 & PIDS+=($!)
start
poll 20 shown Nivarel && xdotool windowfocus --sync "$(window_of Nivarel)" >/dev/null
xdotool key Next
check "the window manager's close ends it with exit code 0 and saves the view" \
  eval 'poll 10 wmctrl -c Nivarel && exits_with 0 10 && [ "$(stored "mod1 depth")" = 18300 ]'
finish
