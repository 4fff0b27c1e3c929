#!/usr/bin/env bash
# Installs the built program into a temporary home over an install of the
# earlier kind (the program with its settings and projects beside it in
# ~/.local/share/voxmire), starts the installed program from another folder,
# then uninstalls and checks that nothing of the user's is lost.
# Usage: install_test.sh <repository> <build folder>
set -uo pipefail
top=$1
build=$2
source "$top/tests/support/program.sh"
home=$scratch
export HOME=$home
unset VOXMIRE_PREFIX XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME

# The earlier kind of install, with an edited template and the user's files.
old=$home/.local/share/voxmire
mkdir -p "$old/Lib" "$old/Packs/Gruff/Sounds" "$home/.local/bin" "$home/.local/share/applications"
printf '#!/bin/sh\nexec "%s/voxmire" "$@"\n' "$old" >"$home/.local/bin/voxmire"
echo "the earlier program" >"$old/voxmire"
echo "[Desktop Entry]" >"$home/.local/share/applications/voxmire.desktop"
printf 'my own template\r\n' >"$old/defaultscript.txt"
cp "$top"/data/Lib/*.vpl "$old/Lib/"
{
  echo "$home/.local/bin/voxmire"
  echo "$home/.local/share/applications/voxmire.desktop"
  echo "$old/voxmire"
  echo "$old/defaultscript.txt"
  for lib in "$old"/Lib/*.vpl; do echo "$lib"; done
} >"$old/installed-files"
printf '[Config]\r\nUTDIR=/games/ut\r\n' >"$old/prefs.ini"
printf 'hello\r\n' >"$old/soundlist.txt"
cp "$top/fuzz/seeds/Project/Gruff.voxmire" "$old/Packs/Gruff.voxmire"
echo "RIFF" >"$old/Packs/Gruff/Sounds/hello.wav"

"$top/scripts/install" --from "$build" >"$home/install.log" || { cat "$home/install.log"; fail "install"; }
installed=(
  .local/bin/voxmire
  .local/share/voxmire/defaultscript.txt
  .local/share/voxmire/Lib/MaleOne.vpl
  .local/share/voxmire/Lib/Boss.vpl
  .local/share/applications/example.harkline.voxmire.desktop
  .local/share/icons/hicolor/scalable/apps/voxmire.svg
  .local/share/icons/hicolor/48x48/apps/voxmire.png
  .local/share/metainfo/example.harkline.voxmire.metainfo.xml
  .local/share/mime/packages/voxmire.xml
  .local/share/man/man1/voxmire.1.gz
)
for f in "${installed[@]}"; do [ -e "$home/$f" ] || fail "$f is missing"; done
for f in .local/share/voxmire/voxmire .local/share/applications/voxmire.desktop; do
  [ ! -e "$home/$f" ] || fail "the earlier install's $f is still there"
done
cmp -s "$top/data/defaultscript.txt" "$old/defaultscript.txt" || fail "the shipped template was not installed"
[ "$(cat "$home/.config/voxmire/defaultscript.txt")" = $'my own template\r' ] ||
  fail "the edited template was not kept as the user's own"
grep -qx "Exec=$home/.local/bin/voxmire %f" "$home/.local/share/applications/example.harkline.voxmire.desktop" ||
  fail "the desktop entry does not start the installed program with a file"

# Started from another folder, the program moves the earlier install's
# files and waits for the user (here with the word of where they went).
mkdir -p "$home/elsewhere"
start_program "$home/elsewhere" env QT_QPA_PLATFORM=offscreen "$home/.local/bin/voxmire"
await_file "$home/.local/state/voxmire/soundlist.txt"
stop_program
[ "$(cat "$home/.config/voxmire/prefs.ini")" = $'[Config]\r\nUTDIR=/games/ut\r' ] || fail "the settings did not move"
[ "$(cat "$home/.local/state/voxmire/soundlist.txt")" = $'hello\r' ] || fail "the sound list did not move"
[ ! -e "$old/prefs.ini" ] && [ ! -e "$old/soundlist.txt" ] || fail "the earlier files were not removed"
cmp -s "$top/fuzz/seeds/Project/Gruff.voxmire" "$old/Packs/Gruff.voxmire" || fail "the project is not where it was"
[ -z "$(ls -A "$home/elsewhere")" ] || fail "the program wrote into the folder it was started from"

# The user's files survive an uninstall; the program's own go.
"$top/scripts/uninstall" >"$home/uninstall.log" || fail "uninstall"
for f in "${installed[@]}"; do [ ! -e "$home/$f" ] || fail "$f is still there"; done
[ -f "$home/.config/voxmire/prefs.ini" ] || fail "uninstall removed the user's settings"
[ -f "$old/Packs/Gruff/Sounds/hello.wav" ] || fail "uninstall removed the user's voice pack"
grep -q "$home/.config/voxmire" "$home/uninstall.log" || fail "uninstall did not say where the user's files are"

# Without files of the user's, nothing of the program is left behind.
rm -rf "$home/.config/voxmire" "$home/.local/state/voxmire" "$old"
"$top/scripts/install" --from "$build" >/dev/null && "$top/scripts/uninstall" >/dev/null
[ ! -e "$old" ] || fail "an empty program folder was left behind"
[ ! -e "$home/.local/share/doc/voxmire" ] || fail "the documentation folder was left behind"
echo "install over an earlier install, first start, uninstall: ok"
