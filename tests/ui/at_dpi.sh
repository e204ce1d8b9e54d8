#!/usr/bin/env bash
# at_dpi.sh DPI PROGRAM [ARGS...]: runs a Windows program under Wine with the
# screen at DPI dots per inch.  Wine takes the scale from LogPixels under
# HKCU\Control Panel\Desktop when it starts, so the program runs in a prefix of
# its own for that scale: a copy of the project's prefix (its files linked, its
# registry copied), made once.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dpi=$1
shift
base=${WINEPREFIX:-$top/build/wineprefix}
scaled=$base-dpi$dpi

"$top/scripts/with-display" true  # makes the project's prefix when missing
if [ ! -f "$scaled/user.reg" ]; then
  rm -rf "$scaled.new"
  cp -al "$base" "$scaled.new"
  # The registry is the one part that changes: copies, not links.
  for hive in "$base"/*.reg; do cp --remove-destination "$hive" "$scaled.new/"; done
  mv "$scaled.new" "$scaled"
fi
export WINEPREFIX=$scaled NIVAREL_EXPECTED_DPI=$dpi
exec "$top/scripts/with-display" bash -c '
  wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$0" /f >/dev/null 2>&1 ||
    wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$0" /f
  exec wine "$@"' "$dpi" "$@"
