#!/usr/bin/env bash
# Installs the Debian packages a goal needs, once: a second run finds them and does nothing.
# Usage: tools/setup.sh run|test|bench
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libcurl4-openssl-dev libpcre2-dev libpng-dev libxcb1-dev)
run=(fonts-noto-cjk xdg-utils)
test=(libgtest-dev nginx-light tinyproxy openssl python3 xvfb xauth xdotool x11-utils trayer imagemagick)
bench=(libbenchmark-dev)

case "${1:-}" in
    run) wanted=("${build[@]}" "${run[@]}") ;;
    test) wanted=("${build[@]}" "${run[@]}" "${test[@]}" "${bench[@]}") ;;
    bench) wanted=("${build[@]}" "${bench[@]}") ;;
    *) echo "usage: tools/setup.sh run|test|bench" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing Debian packages: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
