#!/usr/bin/env bash
# SendData of one large file (200 MB by default) to lumbra-site's receiver page, against
# `curl --data-binary @body` posting the very same body bytes to the same page. The two
# alternate in one run, so both see the same machine load; each run's wall time and peak
# resident memory are taken with /usr/bin/time -v.
#   bench/senddata/run.sh            (LUMBRA_BUILD: the build folder, default build/release)
#   SENDDATA_MB=200 SENDDATA_ROUNDS=3
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/site-port.sh"
build="${LUMBRA_BUILD:-$here/../../build/release}"
lumbra="$build/bin/lumbra"
site_bin="$build/tools/site/lumbra-site"
module="$build/src/datasave/libquorra.so"
size_mb="${SENDDATA_MB:-200}"
rounds="${SENDDATA_ROUNDS:-3}"
for file in "$lumbra" "$site_bin" "$module"; do
  [ -e "$file" ] || { echo "senddata: missing $file (build the release preset first)" >&2; exit 1; }
done
for tool in /usr/bin/time curl; do
  command -v "$tool" >/dev/null || { echo "senddata: missing $tool (make bench installs it)" >&2; exit 1; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/senddata-bench-XXXXXX")"
site_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export LUMBRA_ROOT="$work/root"
mkdir -p "$work/site"

head -c $((size_mb * 1024 * 1024)) /dev/urandom >"$work/photo.jpg"
# The body SendData builds for this selection: one block header, then the file.
size=$(stat -c %s "$work/photo.jpg")
printf '\xfeFZ=%s\xa9\x2d\xaeTableID=EMPLOYEE\xa9\x2d\xaePFN=PHOTO\xa9\x2d\xaeWhereClause=ID=1\xa9\x2d\xae\xfe' \
  "$size" >"$work/body"
cat "$work/photo.jpg" >>"$work/body"

"$site_bin" --root "$work/site" --port 0 >"$work/site.out" 2>&1 &
site_pid=$!
port=$(site_port "$work/site.out" "$site_pid") || exit 1
"$lumbra" register "$module" >/dev/null

# Runs one client under /usr/bin/time; prints "seconds kilobytes".
measure() {
  local out="$1"; shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$out" 2>&1
  end=$(date +%s%N)
  grep -q SUCCESS "$out" || { echo "senddata: no SUCCESS from: $*" >&2; cat "$out" >&2; exit 1; }
  rm -rf "$work/site/datasave/received"
  local rss
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  echo "$(( (end - start) / 1000000 )) $rss"
}

echo "senddata: ${size_mb} MB, $rounds rounds, lumbra-site on port $port"
printf '%-6s %12s %12s %12s %12s\n' round "SendData ms" "curl ms" "SendData MB" "curl MB"
total_send=0; total_curl=0; peak_send=0; peak_curl=0
for round in $(seq "$rounds"); do
  read -r send_ms send_kb < <(measure "$work/send.out" "$lumbra" run --ui script "$here/senddata.js" 127.0.0.1 "$port" "$work/photo.jpg")
  read -r curl_ms curl_kb < <(measure "$work/curl.out" curl -sS -H "Expect:" --data-binary @"$work/body" \
    "http://127.0.0.1:$port/bench/SendData.asp")
  awk -v r="$round" -v s="$send_ms" -v c="$curl_ms" -v sk="$send_kb" -v ck="$curl_kb" \
    'BEGIN { printf "%-6s %12d %12d %12.1f %12.1f\n", r, s, c, sk / 1024, ck / 1024 }'
  total_send=$((total_send + send_ms)); total_curl=$((total_curl + curl_ms))
  [ "$send_kb" -gt "$peak_send" ] && peak_send=$send_kb
  [ "$curl_kb" -gt "$peak_curl" ] && peak_curl=$curl_kb
done
awk -v s="$total_send" -v c="$total_curl" -v sk="$peak_send" -v ck="$peak_curl" 'BEGIN {
  ratio = s / c
  printf "time ratio SendData/curl: %.3f (goal <= 1.15)\n", ratio
  printf "peak memory: SendData %.1f MB (goal < 32 MB), curl %.1f MB\n", sk / 1024, ck / 1024
  if (ratio <= 1.15 && sk < 32 * 1024) { print "senddata: goals met"; exit 0 }
  print "senddata: goals NOT met"; exit 1
}'
