#!/usr/bin/env bash
# ServerFetch against the curl command: one large file over loopback from lumbra-site, the two
# alternating in one run. Prints each round, the median time ratio and the peak memory.
#   LUMBRA_BUILD  the release build folder (bench/run.sh sets it)
#   ROUNDS        rounds of one fetch each (default 7)
#   SIZE_MB       file size in MiB (default 100)
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/../../scripts/site-port.sh"
build="${LUMBRA_BUILD:?set LUMBRA_BUILD to a release build folder}"
rounds="${ROUNDS:-7}"
size_mb="${SIZE_MB:-100}"
fetch="$build/bench/fetch/fetch_bench"
site_bin="$build/tools/site/lumbra-site"
for tool in "$fetch" "$site_bin" /usr/bin/time curl; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (build the release preset; LUMBRA_BENCH_DEPS=1 bash scripts/install-deps.sh)" >&2; exit 1; }
done

work="$(mktemp -d)"
site_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/site/kx/cards"
head -c "$((size_mb * 1024 * 1024))" /dev/urandom > "$work/site/kx/cards/big.bin"
"$site_bin" --root "$work/site" --port 0 > "$work/site.out" 2>&1 &
site_pid=$!
port=$(site_port "$work/site.out" "$site_pid") || exit 1
url="http://127.0.0.1:$port/kx/cards/big.bin"

# Runs one fetch; prints "seconds peak_kib".
measure() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$work/rss" "$@" > /dev/null
  end=$(date +%s%N)
  cmp -s "$work/out.bin" "$work/site/kx/cards/big.bin" || { echo "fetched file differs: $*" >&2; exit 1; }
  rm -f "$work/out.bin"
  echo "$(( (end - start) / 1000 )) $(cat "$work/rss")"
}

echo "round  ServerFetch_ms  ServerFetch_KiB  curl_ms  curl_KiB"
: > "$work/results"
for round in $(seq "$rounds"); do
  read -r f_us f_kib < <(measure "$fetch" 127.0.0.1 "$port" /kx/cards/big.bin "$work/out.bin")
  read -r c_us c_kib < <(measure curl -sS --fail -o "$work/out.bin" "$url")
  echo "$f_us $f_kib $c_us $c_kib" >> "$work/results"
  awk -v r="$round" -v f="$f_us" -v fk="$f_kib" -v c="$c_us" -v ck="$c_kib" \
    'BEGIN { printf "%5d  %14.1f  %15d  %7.1f  %8d\n", r, f / 1000, fk, c / 1000, ck }'
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
f_median=$(cut -d' ' -f1 "$work/results" | median)
c_median=$(cut -d' ' -f3 "$work/results" | median)
peak=$(cut -d' ' -f2 "$work/results" | sort -n | tail -1)
ratio=$(awk -v f="$f_median" -v c="$c_median" 'BEGIN { printf "%.3f", f / c }')
echo "size ${size_mb} MiB, ${rounds} rounds"
echo "median ServerFetch $(awk -v v="$f_median" 'BEGIN { printf "%.1f", v / 1000 }') ms, curl $(awk -v v="$c_median" 'BEGIN { printf "%.1f", v / 1000 }') ms, ratio $ratio (goal <= 1.10)"
echo "peak memory of ServerFetch $(awk -v v="$peak" 'BEGIN { printf "%.1f", v / 1024 }') MiB (goal < 16)"
awk -v r="$ratio" -v p="$peak" 'BEGIN { exit !(r <= 1.10 && p < 16 * 1024) }'
