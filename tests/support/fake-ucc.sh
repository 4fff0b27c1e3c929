#!/bin/sh
# Stands in for the game's native Linux script compiler ("ucc-bin make") in
# tests. Like the real one it reads EditPackages from [Editor.EditorEngine]
# of the ini given as ini=<path> (else ~/.utpg/System/UnrealTournament.ini),
# skips a package whose .u already exists (here or in ~/.utpg/System),
# builds a package only when ../<Pkg>/Classes exists (stock packages are
# taken as built), writes ~/.utpg/System/<Pkg>.u and prints the summary.
#
# Records, each only when the variable names a file:
#   FAKE_UCC_ARGS   the arguments, one a line
#   FAKE_UCC_CWD    the working directory
#   FAKE_UCC_STDIN  what standard input held
#   FAKE_UCC_INI    the text of the ini it read
# FAKE_UCC_MODE: ok (default), warn (exit 0 with a warning), countonly (a
# summary that counts a warning no line shows), fail (critical error, exit 1,
# no .u), crash (SIGSEGV), nou (clean summary but no .u), blockini (puts a
# folder where the ini was, so it can't be put back).
# FAKE_UCC_SLEEP: seconds to wait, printing a line each, before the work.

mode=${FAKE_UCC_MODE:-ok}
prefdir="$HOME/.utpg/System"

[ -n "$FAKE_UCC_ARGS" ] && { for a in "$@"; do printf '%s\n' "$a"; done > "$FAKE_UCC_ARGS"; }
[ -n "$FAKE_UCC_CWD" ] && pwd -P > "$FAKE_UCC_CWD"
if [ -n "$FAKE_UCC_STDIN" ]; then cat > "$FAKE_UCC_STDIN"; fi

ini="$prefdir/UnrealTournament.ini"
for a in "$@"; do
  case "$a" in
    ini=*) ini=${a#ini=} ;;
  esac
done

echo "Using preference directory $prefdir"
echo "Using ini file $ini"
if [ ! -r "$ini" ]; then
  echo "Critical error while compiling: can't read $ini"
  exit 1
fi
[ -n "$FAKE_UCC_INI" ] && cat "$ini" > "$FAKE_UCC_INI"

i=0
while [ "$i" -lt "${FAKE_UCC_SLEEP:-0}" ]; do
  i=$((i + 1))
  echo "Loading packages ($i)..."
  sleep 1
done

if [ "$mode" = crash ]; then
  echo "Signal: SIGSEGV [segmentation fault]"
  kill -SEGV $$
fi

packages=$(tr -d '\r' < "$ini" | awk '
  /^\[/ { in_editor = (tolower($0) == "[editor.editorengine]"); next }
  in_editor && /^EditPackages=/ { sub(/^EditPackages=/, ""); print }')

if [ "$mode" = blockini ]; then
  rm -f "$ini" && mkdir -p "$ini/blocked"
fi

warnings=0
for pkg in $packages; do
  echo "--------------------$pkg - Release--------------------"
  if [ -e "$pkg.u" ] || [ -e "$prefdir/$pkg.u" ]; then
    continue
  fi
  [ -d "../$pkg/Classes" ] || continue
  echo "Analyzing..."
  echo "Parsing $pkg"
  echo "Compiling $pkg"
  case "$mode" in
    fail)
      echo "../$pkg/Classes/$pkg.uc(1) : Error, Bad class definition ''/''/0/0"
      echo "Critical error while compiling"
      echo "Exiting due to error"
      exit 1
      ;;
    warn)
      echo "../$pkg/Classes/$pkg.uc(40) : Warning, Unknown property in defaults: AckStrng(0)=\"Got it\""
      warnings=$((warnings + 1))
      ;;
    countonly)
      warnings=$((warnings + 1))
      ;;
  esac
  if [ "$mode" != nou ]; then
    mkdir -p "$prefdir"
    { echo "fake package $pkg"; cat "../$pkg/Classes/"*.uc; } > "$prefdir/$pkg.u"
  fi
done

echo "Success - 0 error(s), $warnings warnings"
exit 0
