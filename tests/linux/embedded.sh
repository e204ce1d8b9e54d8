#!/usr/bin/env bash
# Drawing on windows of others: --window-id, XSCREENSAVER_WINDOW, the root;
# SIGTERM ends each at once; such runs never write the settings; bad
# arguments and dead windows are refused with one line.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

host
check "the host window starts black" dark "$HOST"
start --window-id "$HOST" --fps
check "--window-id draws into the host window" poll 20 lit "$HOST"
check "--fps reports the rate" poll 5 grep -q fps "$WORK/err"
kill -TERM "$SAVER_PID"
check "SIGTERM ends it within half a second with exit code 0" exits_with 0 0.5

host
XSCREENSAVER_WINDOW=$HOST start --root --depth 100 --speed 2
check "--root draws into XSCREENSAVER_WINDOW" poll 20 lit "$HOST"
kill -INT "$SAVER_PID"
check "SIGINT ends it with exit code 0" exits_with 0 2

start -root
check "--root alone draws on the root window" poll 20 lit root
kill -TERM "$SAVER_PID"
check "it ends with exit code 0" exits_with 0 2
check "no settings were written" [ ! -e "$SETTINGS" ]

refused() {  # refused CODE ARGS...: ends at once with CODE and a one-line message
  local code=$1; shift
  start "$@"
  exits_with "$code" 5 && [ "$(wc -l <"$WORK/err")" = 1 ]
}
check "bad arguments end with exit code 2" refused 2 --speed 99
check "a missing value ends with exit code 2" refused 2 --window-id
check "two modes end with exit code 2" refused 2 --root --window
check "an unknown option ends with exit code 2" refused 2 -x
check "a dead window id ends with exit code 1" refused 1 --window-id 0x1fffff0
finish
