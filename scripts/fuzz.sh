#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build, one after the other, each for a bounded time, starting
# from the corpus kept in fuzz/corpus. New inputs go to a working corpus in the build folder;
# a finding stops the script with the fuzzer's report and leaves the crashing input in
# <build>/fuzz-artifacts/.
#   FUZZ_BUILD    build folder (default build/fuzz)
#   FUZZ_SECONDS  time per fuzzer (default 60)
#   FUZZERS       names to run (default: all), e.g. "ini ploxen"
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${FUZZ_BUILD:-$repo/build/fuzz}")"
seconds="${FUZZ_SECONDS:-60}"
fuzzers="${FUZZERS:-fieldlist linkfile cardfile ploxen ini}"

work="$build/fuzz-work"
artifacts="$build/fuzz-artifacts"
mkdir -p "$work" "$artifacts"

for name in $fuzzers; do
  program="$build/fuzz/${name}_fuzz"
  if [ ! -x "$program" ]; then
    echo "fuzz.sh: $program is missing; build the fuzz preset first (make fuzz)" >&2
    exit 2
  fi
  corpus="$work/corpus-$name"
  root="$work/root-$name"
  mkdir -p "$corpus"
  rm -rf "$root"
  echo "== $name: ${seconds}s"
  start=$(date +%s)
  status=0
  # One job, one worker: the machine's cores are shared. A unit gets 30 s because a loaded
  # host can stall a process for seconds; a real hang still shows.
  (cd "$work" && LUMBRA_FUZZ_ROOT="$root" "$program" \
      -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=4096 \
      -jobs=1 -workers=1 -print_final_stats=1 \
      -dict="$repo/fuzz/dict/$name.dict" -artifact_prefix="$artifacts/$name-" \
      "$corpus" "$repo/fuzz/corpus/$name") || status=$?
  rm -rf "$root"
  log="$work/fuzz-0.log"
  [ -f "$log" ] && mv "$log" "$work/$name.log"
  echo "== $name: ran $(( $(date +%s) - start ))s, exit $status"
  if [ "$status" -ne 0 ]; then
    echo "fuzz.sh: $name found a problem; see $work/$name.log and $artifacts/" >&2
    exit "$status"
  fi
done
