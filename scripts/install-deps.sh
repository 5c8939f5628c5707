#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the demo and the benchmarks need.
# Only packages that are missing are installed, so a set-up machine pays nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  libcurl4-openssl-dev libssl-dev openssl curl ca-certificates
  libcpp-httplib-dev nlohmann-json3-dev
  duktape-dev
  libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libstb-dev
  clang libclang-rt-14-dev
)
if [ "${LUMBRA_BENCH_DEPS:-0}" = 1 ]; then
  packages+=(imagemagick hyperfine time)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
