#!/usr/bin/env bash
# The real xscreensaver daemon runs nivarel --root as its only hack, as an
# unprivileged user with a private HOME: activated, the screen shows the
# world; deactivated, the hack is gone and the settings are untouched.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

home=$WORK/home
mkdir -p "$home/.config/nivarel"
cp "$SAVER" "$WORK/nivarel"
echo "mod1 depth=30000" >"$home/.config/nivarel/settings.ini"
cat >"$home/.xscreensaver" <<END
mode: one
selected: 0
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
nice: 0
programs: GL: $WORK/nivarel --root \n
END
before=$(stat -c '%Y %s' "$home/.config/nivarel/settings.ini"; md5sum <"$home/.config/nivarel/settings.ini")
chmod -R a+rwX "$WORK"
as_user=(env)
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups env)
"${as_user[@]}" HOME="$home" XDG_CONFIG_HOME= xscreensaver -no-splash >"$WORK/daemon.log" 2>&1 &
PIDS+=($!)

hack() { pgrep -f "^$WORK/nivarel" >/dev/null; }
command_ok() { xscreensaver-command "$1" >/dev/null 2>&1; }
check "the daemon answers" poll 20 command_ok -version
# The first request can meet the daemon still starting: retried.
activated() { command_ok -activate && poll 10 hack; }
check "activating starts the hack" poll 30 activated
check "the screen shows the world" poll 20 lit root
check "deactivating ends the hack" poll 20 bash -c "xscreensaver-command -deactivate >/dev/null 2>&1; ! pgrep -f '^$WORK/nivarel' >/dev/null"
after=$(stat -c '%Y %s' "$home/.config/nivarel/settings.ini"; md5sum <"$home/.config/nivarel/settings.ini")
check "the settings file is untouched" [ "$before" = "$after" ]
[ "$CHECK_FAILURES" -eq 0 ] || tail -n 20 "$WORK/daemon.log"
finish
