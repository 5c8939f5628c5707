#!/usr/bin/env bash
# A batch of 200 records with photos through kestrix-sim (printing at once) and lumbra-site.
# Reports the time per record, the requests per record, and the share of the fixed waits.
# LUMBRA_BUILD names the build (default build/release); BENCH_RECORDS the batch size.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
source "$repo/scripts/site-port.sh"
build=${LUMBRA_BUILD:-$repo/build/release}
records=${BENCH_RECORDS:-200}
work=$(mktemp -d /tmp/lumbra-bench-print-XXXXXX)
export LUMBRA_ROOT=$work/root
data=$LUMBRA_ROOT/drive_c/KX
mkdir -p "$LUMBRA_ROOT/system" "$data"/{cards,links,bitmap,handlers}

site_pid=""
finish() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null
  for entry in "$LUMBRA_ROOT"/run/windows/*; do
    [ -f "$entry" ] && grep -qx "title=Korvel Kestrix" "$entry" && kill "$(sed -n 's/^pid=//p' "$entry")" 2>/dev/null
  done
  rm -rf "$work"
}
trap finish EXIT

printf '[SYSTEM]\r\nKXDataPath=C:\\KX\r\n' >"$LUMBRA_ROOT/system/kx.ini"
ln -s "$build/tools/kestrix/kestrix-sim" "$data/KX.exe"
printf '[Print]\nDurationMs=0\n' >"$data/kestrix-sim.ini"
printf 'operator:bench\n' >"$work/users.txt"
"$build/tools/site/lumbra-site" --root "$repo/examples/site" --port 0 --users "$work/users.txt" \
  --log "$work/requests.jsonl" >"$work/site.out" 2>&1 &
site_pid=$!
port=$(site_port "$work/site.out" "$site_pid") || exit 1
"$build/bin/lumbra" register "$build/src/printctl/libostrel.so" >/dev/null

start=$(date +%s.%N)
"$build/bin/lumbra" run --ui script --journal "$work/journal.jsonl" "$here/batch.js" 127.0.0.1 "$port" operator bench "$records"
end=$(date +%s.%N)

printed=$(find "$data/output" -name 'card-*.json' | wc -l)
requests=$(wc -l <"$work/requests.jsonl")
answered=$(grep -c '"status":200' "$work/requests.jsonl" || true)
messages=$(grep -c '"kind":"message"' "$work/journal.jsonl" || true)
# Every record reaches the running application through one reconnect, and every connect
# waits 500 ms first: the fixed wait is half a second per record.
awk -v s="$start" -v e="$end" -v n="$records" -v p="$printed" -v r="$requests" -v a="$answered" -v m="$messages" 'BEGIN {
  total = e - s; fixed = 0.5 * n
  printf "records %d, cards printed %d, messages %d\n", n, p, m
  printf "total %.1f s, per record %.0f ms\n", total, 1000 * total / n
  printf "requests per record %.2f (%.2f answered with 200, the rest are authentication challenges)\n", r / n, a / n
  printf "fixed waits %.1f s = %.0f%% of the time; the rest %.0f ms per record\n", fixed, 100 * fixed / total, 1000 * (total - fixed) / n
}'
[ "$printed" -eq "$records" ]
