#!/usr/bin/env bash
# The settings dialog: "About Nivarel" opens the About box over it and its OK
# closes it with the preview going on; the keys steer the preview's view, and
# OK saves it with the cycle time and the sound setting and ends with 1.
# (Cancel and the close button are the Windows tests' and the unit tests'.)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

SETTINGS="Nivarel Settings"
ABOUT="Nivarel Screen Saver"
ADVICE="Oops, looks like there is a problem..."

# click TITLE TEMPLATE_WIDTH TEMPLATE_HEIGHT X Y: a click at dialog units
# (X, Y).  Without a window manager a dialog's X window is exactly its client
# area, so dialog units scale by the window's size.
click() {
  local id WIDTH HEIGHT X Y SCREEN WINDOW
  id=$(window_ids "$1" | head -n 1)
  [ -n "$id" ] && eval "$(xdotool getwindowgeometry --shell "$id")" &&
    xdotool mousemove --window "$id" $(($4 * WIDTH / $2)) $(($5 * HEIGHT / $3)) click 1
}

# A machine that the frame-rate probe judges too slow (a loaded one can be)
# gets the advice right behind the first frame, and it takes the input: it is
# dismissed with its default button wherever it turns up, and an About click
# it swallowed is made again.  The About round trip settles it: the dialog
# takes its posted messages, the advice's among them, before any input.
ABOUT_ASKED=no
no_advice() { window_gone "$ADVICE" || { ABOUT_ASKED=no; log "  the advice is up: dismissed"; has_keyboard "$ADVICE" && send_keys Return; false; }; }
about_open() {
  no_advice && window_shown "$ABOUT" && return
  [ "$ABOUT_ASKED" = yes ] || { has_keyboard "$SETTINGS" && click "$SETTINGS" 433 281 356 58 && ABOUT_ASKED=yes; }
  false
}
ready() { no_advice && has_keyboard "$1"; }

fresh_registry
start_saver /c
check "/c opens \"$SETTINGS\"" poll 60 ready "$SETTINGS"
check "About opens \"$ABOUT\"" poll 120 about_open
check "and has the keyboard" poll 60 ready "$ABOUT"
click "$ABOUT" 244 212 194 187
check "its OK closes it" poll 30 window_gone "$ABOUT"
check "the settings dialog has the keyboard again" poll 60 ready "$SETTINGS"

# Page Down at depth 192 brings the world 3 units nearer, twice.  Under three
# frames a second the advice also switches the world off, and then the keys
# steer nothing that is saved.
send_keys Next Next
click "$SETTINGS" 433 281 355 233
wait_for_exit 60
check "OK closes the dialog with exit code 1" equals 1 "$SAVER_EXIT"
depth=18600
[ "$(setting "mod1 active")" = 0 ] && depth=19200 && log "  the world was switched off as too slow"
check_settings "mod1 depth=$depth" "mod1 speed=50" "cycle time=15" "enable sound=0"
finish
