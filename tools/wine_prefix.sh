#!/usr/bin/env bash
# The Wine prefix of the tests, made ready once before the first Windows program runs, and
# the Wine server stopped after the last one.
#   wine_prefix.sh ready WINE64 WINESERVER   create or update the prefix, wait until done
#   wine_prefix.sh stop  WINE64 WINESERVER   end the server and Wine's background services
# WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES come from the environment, as the tests get them.
set -uo pipefail
action=$1 wine=$2 wineserver=$3
fail() { echo "wine prefix: $*" >&2; exit 1; }
[[ -n "${WINEPREFIX:-}" ]] || fail "WINEPREFIX is not set"
case $action in
  ready)
    command -v "$wine" >/dev/null 2>&1 || fail "wine64 not found ($wine): run tools/setup.sh"
    mkdir -p "$(dirname "$WINEPREFIX")" || fail "cannot make the folder of $WINEPREFIX"
    # wineboot returns before the server has written the registry; wait for the server
    # to end so that no test races the prefix's creation.
    "$wine" wineboot --init || fail "wineboot --init failed in $WINEPREFIX"
    "$wineserver" --wait
    [[ -f "$WINEPREFIX/system.reg" ]] || fail "no registry in $WINEPREFIX after wineboot"
    echo "wine prefix ready: $WINEPREFIX"
    ;;
  stop)
    "$wineserver" -k 2>/dev/null
    "$wineserver" --wait 2>/dev/null
    echo "wine server stopped: $WINEPREFIX"
    ;;
  *) fail "unknown action $action" ;;
esac
