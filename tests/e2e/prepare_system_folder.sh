#!/usr/bin/env bash
# prepare_system_folder.sh DIR: a system folder as an earlier run leaves it (configuration with
# its folders, the BBS list), so a start needs no first-run dialog. No key-press delay, no BBS
# editor at start.
set -eu
system=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$system/Captures" "$system/Screens" "$system/Mojis"
cp "$here/VX3_BBS.INI" "$system/"
printf '[Config]\r\nSysFolder=%s\r\nSysLog=True\r\nKeyPressDelay=False\r\nUseBBSEditor=False\r\n[Capture]\r\nCaptureFolder=%s\r\nCaptureFileName=VX3_capture.txt\r\nScreenDumpPath=%s\r\nMojisDumpPath=%s\r\n[Totals]\r\nTotalIncoming= 0\r\nSessionNum= 0\r\n' \
    "$system" "$system/Captures" "$system/Screens" "$system/Mojis" > "$system/VX3_Cfg.ini"
