#!/bin/sh
# Starts Zelluo in the user's own data folder, so that every user has one
# collection wherever the program is started from: the program keeps its
# "Zelluo Files" (settings, films, covers, backups) in the folder it runs in.
set -e
data="${XDG_DATA_HOME:-$HOME/.local/share}/zelluo"
mkdir -p "$data"
cd "$data"
exec "$(dirname "$(readlink -f "$0")")/../lib/zelluo/zelluo"
