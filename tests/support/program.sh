# Shell helpers of the tests that start the real program: sourced, not run.
# A scratch folder that goes, with the program, when the test ends.
scratch=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# start_program FOLDER COMMAND...: starts it in FOLDER, its output in
# $scratch/run.log.
start_program() {
  local folder=$1
  shift
  (cd "$folder" && exec "$@") >"$scratch/run.log" 2>&1 &
  pid=$!
}

# await_file FILE: waits up to 30 s for the running program to make FILE.
await_file() {
  for _ in $(seq 1 300); do
    [ -s "$1" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null || { cat "$scratch/run.log"; fail "the program ended"; }
  [ -s "$1" ] || { cat "$scratch/run.log"; fail "the program did not make $1"; }
}

stop_program() {
  kill "$pid"
  wait "$pid" 2>/dev/null
  pid=""
}
