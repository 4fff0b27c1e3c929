#!/usr/bin/env bash
# Installs the built program into a temporary home, starts the installed
# launcher from another folder, then uninstalls and checks nothing is left.
# Usage: install_test.sh <repository> <build bin folder>
set -uo pipefail
top=$1
bin=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home
unset VOXMIRE_PREFIX
fail() { echo "FAIL: $*"; exit 1; }

"$top/scripts/install" --from "$bin" >/dev/null || fail "install"
installed=(
  .local/bin/voxmire
  .local/share/applications/voxmire.desktop
  .local/share/icons/hicolor/256x256/apps/voxmire.png
  .local/share/voxmire/voxmire
  .local/share/voxmire/defaultscript.txt
  .local/share/voxmire/Lib/MaleOne.vpl
  .local/share/voxmire/Lib/Boss.vpl
)
for f in "${installed[@]}"; do [ -e "$home/$f" ] || fail "$f is missing"; done
grep -qx "Exec=$home/.local/bin/voxmire" "$home/.local/share/applications/voxmire.desktop" ||
  fail "the desktop entry does not start the launcher"

# Started from another folder, the program must come up and wait for the
# user; after three seconds it is still running (timeout's status 124).
mkdir -p "$home/elsewhere"
cd "$home/elsewhere"
QT_QPA_PLATFORM=offscreen timeout 3 "$home/.local/bin/voxmire" >"$home/run.log" 2>&1
status=$?
[ $status -eq 124 ] || { cat "$home/run.log"; fail "the installed program ended with status $status"; }
[ -z "$(ls -A "$home/elsewhere")" ] || fail "the program wrote into the folder it was started from"

# A settings file the program made is the user's and survives; the rest goes.
echo "[Config]" >"$home/.local/share/voxmire/prefs.ini"
"$top/scripts/uninstall" >/dev/null || fail "uninstall"
for f in "${installed[@]}"; do [ ! -e "$home/$f" ] || fail "$f is still there"; done
[ -f "$home/.local/share/voxmire/prefs.ini" ] || fail "uninstall removed the user's settings"
rm "$home/.local/share/voxmire/prefs.ini"
"$top/scripts/install" --from "$bin" >/dev/null && "$top/scripts/uninstall" >/dev/null
[ ! -e "$home/.local/share/voxmire" ] || fail "an empty program folder was left behind"
echo "install, start and uninstall: ok"
