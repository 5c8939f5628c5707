#!/usr/bin/env bash
# The demo print run: a fresh workstation root, the components registered, the sample site
# served by lumbra-site, kestrix-sim installed as the production application, and the sample
# batch, single-card and preview pages run with `lumbra run`. Ends with a summary.
#
# With a terminal, a person answers the preview question at the prompt; without one, the
# scripted user interface answers from an answers file and journals every message.
#
# Environment: LUMBRA_BUILD (default build/release) names the build folder;
# LUMBRA_DEMO_DIR (default build/demo) the folder the demo works in, emptied at every run.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/scripts/site-port.sh"
build=${LUMBRA_BUILD:-$repo/build/release}
demo=${LUMBRA_DEMO_DIR:-$repo/build/demo}

lumbra=$build/bin/lumbra
site_server=$build/tools/site/lumbra-site
kestrix=$build/tools/kestrix/kestrix-sim
for program in "$lumbra" "$site_server" "$kestrix" "$build/src/printctl/libostrel.so"; do
  if [ ! -e "$program" ]; then
    echo "demo: $program is missing; build first (make demo builds the release preset)" >&2
    exit 1
  fi
done

case "$demo" in
  "$repo"/build/*|/tmp/*) ;;
  *) echo "demo: LUMBRA_DEMO_DIR must lie below $repo/build or /tmp, it is emptied" >&2; exit 2 ;;
esac
rm -rf "$demo"
mkdir -p "$demo"
export LUMBRA_ROOT=$demo/root
unset TEMP
data=$LUMBRA_ROOT/drive_c/KX
output=$data/output
mkdir -p "$LUMBRA_ROOT/system" "$data"/{cards,links,bitmap,handlers}

site_pid=""
stop_started() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null
  # The control started the production application; its window entry names the process.
  for entry in "$LUMBRA_ROOT"/run/windows/*; do
    [ -f "$entry" ] || continue
    if grep -qx "title=Korvel Kestrix" "$entry"; then
      pid=$(sed -n 's/^pid=//p' "$entry")
      [ -n "$pid" ] && kill "$pid" 2>/dev/null
    fi
  done
  return 0
}
trap stop_started EXIT

# The production application: kx.ini in the system folder names the data folder, where KX.exe
# is kestrix-sim. A short print keeps the demo quick.
printf '[SYSTEM]\r\nKXDataPath=C:\\KX\r\n[DDE]\r\nKXServerDDETimeout=15000\r\n' >"$LUMBRA_ROOT/system/kx.ini"
ln -s "$kestrix" "$data/KX.exe"
printf '[Print]\nDurationMs=300\nOutputFolder=output\n' >"$data/kestrix-sim.ini"

# The web site, with an operator account the pages log in with.
user=operator
password=cards2026
printf '%s:%s\n' "$user" "$password" >"$demo/users.txt"
"$site_server" --root "$repo/examples/site" --port 0 --users "$demo/users.txt" \
  --log "$demo/site-requests.jsonl" >"$demo/site.out" 2>&1 &
site_pid=$!
port=$(site_port "$demo/site.out" "$site_pid") || exit 1

"$lumbra" register "$build/src/printctl/libostrel.so" >/dev/null
for module in "$build"/src/*/lib{fennic,quorra,tamsel}.so; do
  [ -e "$module" ] || continue
  "$lumbra" register "$module" >/dev/null || echo "demo: $module could not be registered; its pages would fail" >&2
done

echo "Demo root:  $LUMBRA_ROOT"
echo "Web site:   http://127.0.0.1:$port/ serving examples/site (user $user)"
echo "Production: kestrix-sim as $data/KX.exe"
echo

messages=$demo/messages.txt
: >"$messages"
interactive=0
[ -t 0 ] && [ -t 1 ] && interactive=1
[ "${LUMBRA_DEMO_SCRIPTED:-0}" = 1 ] && interactive=0
printf 'yes\n' >"$demo/answers.txt"

run_page() {
  local name=$1
  local page=$repo/examples/pages/$name.js
  if [ "$interactive" = 1 ]; then
    # Messages and questions appear here; a copy of them goes to the summary.
    "$lumbra" run "$page" 127.0.0.1 "$port" "$user" "$password" 2> >(tee -a "$demo/$name.ui" >&2)
    grep '^\[Ostrel\]' "$demo/$name.ui" >>"$messages" || true
  else
    "$lumbra" run --ui script --answers "$demo/answers.txt" --journal "$demo/$name.journal.jsonl" \
      "$page" 127.0.0.1 "$port" "$user" "$password"
    sed -n 's/.*"kind":"message".*"text":"\([^"]*\)".*/\1/p' "$demo/$name.journal.jsonl" >>"$messages" || true
  fi
}

started=$(date +%s)
run_page ostrel-batch
run_page ostrel-single
run_page ostrel-preview
elapsed=$(( $(date +%s) - started ))

printed=$(find "$output" -name 'card-*.json' 2>/dev/null | wc -l)
echo
echo "==== Summary ===="
echo "Cards printed:  $printed (in ${elapsed}s)"
echo "Messages shown: $(wc -l <"$messages")"
sed 's/^/  /' "$messages"
echo "Card pictures:  $output"
for json in "$output"/card-*.json; do
  [ -f "$json" ] || continue
  name=$(sed -n 's/.*"NAME": "\([^"]*\)".*/\1/p' "$json" | head -1)
  link=$(sed -n 's/.*"link": "\([^"]*\)".*/\1/p' "$json")
  echo "  $(basename "$json" .json).png  $link  $name"
done
echo "Site requests:  $(wc -l <"$demo/site-requests.jsonl") (log $demo/site-requests.jsonl)"
