#!/usr/bin/env bash
# Builds the Debian package from a build, checks it as a distribution would
# (lintian, desktop-file-validate, appstreamcli), unpacks it into a scratch
# root and starts the unpacked program with a scratch home and a voice pack
# on its command line: the start page loads it, and every file the program
# writes lands in the home's XDG folders.
# Usage: package_test.sh <repository> <build folder>
set -uo pipefail
top=$1
build=$2
source "$top/tests/support/program.sh"

for tool in lintian desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps installs it)"
done

"$top/scripts/package" --from "$build" "$scratch" >"$scratch/package.log" 2>&1 ||
  { cat "$scratch/package.log"; fail "scripts/package"; }
debs=("$scratch"/voxmire_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no voxmire_<version>_amd64.deb"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "voxmire_${version}_amd64.deb" ] || fail "the package is named $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "its shared-library dependencies were not computed"

lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
  { cat "$scratch/lintian.log"; fail "lintian"; }

root=$scratch/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
app=usr/share/applications/example.harkline.voxmire.desktop
metainfo=usr/share/metainfo/example.harkline.voxmire.metainfo.xml
contents=(
  usr/bin/voxmire
  usr/share/voxmire/defaultscript.txt
  usr/share/voxmire/Lib/MaleOne.vpl usr/share/voxmire/Lib/MaleTwo.vpl usr/share/voxmire/Lib/Boss.vpl
  usr/share/voxmire/Lib/FemaleOne.vpl usr/share/voxmire/Lib/FemaleTwo.vpl
  "$app" "$metainfo"
  usr/share/mime/packages/voxmire.xml
  usr/share/icons/hicolor/scalable/apps/voxmire.svg
  usr/share/icons/hicolor/16x16/apps/voxmire.png usr/share/icons/hicolor/48x48/apps/voxmire.png
  usr/share/icons/hicolor/256x256/apps/voxmire.png
  usr/share/man/man1/voxmire.1.gz
  usr/share/doc/voxmire/copyright
)
for f in "${contents[@]}"; do [ -f "$root/$f" ] || fail "the package lacks /$f"; done
[ ! -e "$root/usr/bin/portable" ] || fail "the package's program is marked portable"

desktop-file-validate "$root/$app" || fail "desktop-file-validate"
grep -qx 'Exec=voxmire %f' "$root/$app" || fail "the desktop entry does not take a file"
grep -qx 'MimeType=application/x-voxmire;' "$root/$app" || fail "the desktop entry lacks the project type"
grep -q '<glob pattern="\*.voxmire"/>' "$root/usr/share/mime/packages/voxmire.xml" ||
  fail "the project type does not name *.voxmire"
appstreamcli validate --no-net "$root/$metainfo" >"$scratch/appstream.log" 2>&1 ||
  { cat "$scratch/appstream.log"; fail "appstreamcli validate"; }

# --help and --version answer without a display.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/voxmire" --version 2>&1)
[ "$answer" = "Voxmire $version" ] || fail "--version said: $answer"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/voxmire" --help | grep -q "FILE" ||
  fail "--help says nothing of FILE"

# The unpacked program, a scratch home and a voice pack from elsewhere.
home=$scratch/home
mkdir -p "$home" "$scratch/cwd"
cp "$top/fuzz/seeds/Project/Gruff.voxmire" "$scratch/Given.voxmire"
(cd "$root" && find . | sort) >"$scratch/root.before"
start_program "$scratch/cwd" env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_STATE_HOME \
  HOME="$home" QT_QPA_PLATFORM=offscreen "$root/usr/bin/voxmire" "$scratch/Given.voxmire"
await_file "$home/.local/share/voxmire/Packs/Gruff.voxmire"
[ -d "$home/.config/voxmire" ] && [ -d "$home/.local/state/voxmire" ] ||
  fail "the settings and state folders were not made"
stop_program

# Nothing beside the program, nor where it was started, nor elsewhere in the home.
(cd "$root" && find . | sort) | diff "$scratch/root.before" - || fail "the program wrote into its own folders"
[ -z "$(ls -A "$scratch/cwd")" ] || fail "the program wrote into the folder it was started from"
stray=$(cd "$home" && find . -type f ! -path './.config/voxmire/*' ! -path './.local/share/voxmire/*' \
  ! -path './.local/state/voxmire/*' ! -path './.cache/*')
[ -z "$stray" ] || fail "the program wrote outside its folders: $stray"
echo "package $(basename "$deb"): lintian, desktop entry, metainfo, unpacked start: ok"
