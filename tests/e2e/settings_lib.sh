# Helpers of the settings-dialog tests, on top of lib.sh (source that first).
#
# The dialogs' buttons are clicked where the templates put them: with Wine
# leaving the frame to the (absent) window manager, a dialog's X window is
# exactly its client area, so dialog units scale by the window's size.

SETTINGS_TITLE="Nivarel Settings"
ABOUT_TITLE="Nivarel Screen Saver"
# Per-program Wine setting: Wine draws the title bar itself, so that its
# close button exists without a window manager.
FRAME_KEY='HKCU\Software\Wine\AppDefaults\nivarel.scr\X11 Driver'

in_foreground() { [ "$(describe "$1" | field foreground)" = 1 ]; }

# wait_for_dialog TITLE: the dialog is up and has the keyboard.
wait_for_dialog() { wait_for_window "$1" 30 && poll 20 in_foreground "$1"; }

# click_units TITLE TEMPLATE_WIDTH TEMPLATE_HEIGHT X Y: a click at dialog
# units (X, Y) of the dialog titled TITLE.
click_units() {
  local id WIDTH HEIGHT X Y SCREEN WINDOW
  id=$(window_ids "$1" | head -n 1)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove --window "$id" $(($4 * WIDTH / $2)) $(($5 * HEIGHT / $3)) click 1
}

# The middle of each button, in the templates' dialog units.
click_settings() {
  case $1 in
    ok) click_units "$SETTINGS_TITLE" 433 281 355 233 ;;
    cancel) click_units "$SETTINGS_TITLE" 433 281 356 191 ;;
    about) click_units "$SETTINGS_TITLE" 433 281 356 58 ;;
  esac
}
click_about_ok() { click_units "$ABOUT_TITLE" 244 212 194 187; }

# With Wine drawing the frame, the close button sits in the title bar's
# top right corner, just inside the border.
click_close_button() {
  local id WIDTH HEIGHT X Y SCREEN WINDOW
  id=$(window_ids "$1" | head -n 1)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove --window "$id" $((WIDTH - 12)) 12 click 1
}
wine_draws_frames() { wine_reg add "$FRAME_KEY" /v Decorated /t REG_SZ /d N /f; }
window_manager_draws_frames() { wine reg delete "$FRAME_KEY" /f >/dev/null 2>&1 || true; }

# export_settings FILE: the whole settings key as the registry exports it.
export_settings() {
  rm -f "$1"
  wine_reg export "$SETTINGS_KEY" "$1"
}
same_files() { cmp -s "$1" "$2" || { log "  $1 and $2 differ"; diff "$1" "$2" | head -n 20; return 1; }; }

# open_settings: starts the configure request and waits for the dialog.
open_settings() {
  start_saver /c
  wait_for_dialog "$SETTINGS_TITLE"
}
