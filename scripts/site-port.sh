# Sourced by the demo and the benchmarks: waits, at most 10 s, until lumbra-site (started in the
# background with its output going to OUTPUT) says which loopback port it serves, and prints it.
# On failure it shows the site's output on stderr and returns 1.
#   port=$(site_port OUTPUT PID) || exit 1
site_port() {
  local output=$1 pid=$2 port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$output")
    if [ -n "$port" ]; then
      echo "$port"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "lumbra-site did not start:" >&2
  cat "$output" >&2
  return 1
}
