#!/usr/bin/env bash
# in_prefix.sh ROOT NAME COMMAND...: runs COMMAND in a fresh copy of the
# template prefix ROOT/template, then stops that prefix's Wine server.
set -u
root=$1 name=$2
shift 2
. "$(dirname "$0")/wine_env.sh"
export WINEPREFIX=$root/$name
rm -rf "$WINEPREFIX"
cp -a "$root/template" "$WINEPREFIX"
"$@"
rc=$?
wineserver -k >/dev/null 2>&1
exit $rc
