#!/bin/sh
# Runs a Windows console program under Wine, headless and quiet: run_in_wine.sh WINE PREFIX PROGRAM [ARGS...]
# The prefix (Wine's C: drive and registry) is made on the first run and kept for the next ones.
set -eu
wine=$1
prefix=$2
shift 2
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

# No window may open: without a display Wine needs none for a console program, and none of the
# dialogs that install Mono or Gecko, or menu entries, are wanted.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    "$wine" wineboot --init >/dev/null 2>&1 || { echo "run_in_wine.sh: wineboot failed in $prefix" >&2; exit 1; }
    "$wineserver" -w
fi

status=0
"$wine" "$@" || status=$?
# Wine's server outlives the program by a few seconds; wait, so that nothing is left running.
"$wineserver" -w
exit "$status"
