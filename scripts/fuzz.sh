#!/usr/bin/env bash
# Runs fuzz targets for a while each, on their seeds, and prints what each
# run reached (inputs run, coverage, corpus size).
#
#   scripts/fuzz.sh [--build DIR] [--seconds N] [--jobs N] [TARGET...]
#
# With no TARGET, every target runs. DIR is a build folder configured as the
# head of fuzz/CMakeLists.txt says (default build-fuzz); the targets are
# built there first. Each target keeps its growing corpus in
# DIR/corpus/TARGET, so that a later run starts where the last one ended.
# Up to N targets (default 1) run at once, each on one core. Options for
# libFuzzer itself go in FUZZ_FLAGS (e.g. FUZZ_FLAGS="-len_control=0
# -max_len=8192" to try long inputs from the start). A crash stops
# that target and leaves its input in DIR/crashes/TARGET/; the script then
# ends with status 1.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=build-fuzz
seconds=1800
jobs=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
all=(walk_page_fuzz version_list_fuzz journal_fuzz settings_fuzz fetch_address_fuzz check_page_fuzz)
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

# The seeds of each target.
seeds() {
  case "$1" in
    walk_page_fuzz) find "$here/tests/data/walker" -name input.htm ;;
    version_list_fuzz) echo "$here/tests/data/version_lists" ;;
    check_page_fuzz) find "$here/tests/data/check" -name '*.htm*' ;;
    *) echo "$here/fuzz/corpus/$1" ;;
  esac
}

cmake --build "$build" --target "${targets[@]}" >/dev/null

run_one() {
  local target=$1 corpus="$build/corpus/$1" crashes="$build/crashes/$1" log="$build/fuzz-$1.log"
  mkdir -p "$corpus" "$crashes"
  # Seeds that are files are copied in; a folder of seeds is given as is.
  local extra=()
  while IFS= read -r seed; do
    if [ -d "$seed" ]; then extra+=("$seed"); else cp -f "$seed" "$corpus/seed-$(echo "$seed" | md5sum | cut -c1-12)"; fi
  done < <(seeds "$target")
  local status=0
  # shellcheck disable=SC2086 # FUZZ_FLAGS holds several options
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" ${FUZZ_FLAGS:-} \
    "$corpus" "${extra[@]}" >"$log" 2>&1 || status=$?
  local last
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  local runs
  runs=$(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}' || true)
  echo "$target: status $status, $runs inputs in ${seconds} s; last line: $last; corpus $(ls "$corpus" | wc -l) files"
  return $status
}
export -f run_one seeds
export FUZZ_FLAGS="${FUZZ_FLAGS:-}"
export build seconds here

printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
