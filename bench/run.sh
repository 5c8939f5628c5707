#!/usr/bin/env bash
# Runs every benchmark folder's run.sh against the release build, one after the other
# (they share two cores and must not disturb each other's timings).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export LUMBRA_BUILD="${LUMBRA_BUILD:-$here/../build/release}"
status=0
for script in "$here"/*/run.sh; do
  [ -f "$script" ] || continue
  echo "== $(basename "$(dirname "$script")")"
  bash "$script" || status=1
done
exit $status
