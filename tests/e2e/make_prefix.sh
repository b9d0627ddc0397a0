#!/usr/bin/env bash
# Makes the template Wine prefix of a test run (once; every test copies it).
set -eu
root=$1
. "$(dirname "$0")/wine_env.sh"
template=$root/template
if [ -f "$template/.ready" ]; then exit 0; fi
rm -rf "$template"
mkdir -p "$root"
export WINEPREFIX=$template
timeout 240 wineboot -i >/dev/null 2>&1
# A virtual desktop spares a 2-second wait per hidden window without a window
# manager; no crash dialog, so a crash ends the run at once.
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 60 wineserver -w
touch "$template/.ready"
