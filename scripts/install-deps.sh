#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those already present.
# apt-get runs directly as root and through sudo otherwise. With the argument "tools" only what
# the compiler and the simulator need (the first `make run`): no Qt, GoogleTest or gputils.
set -euo pipefail

packages=(cmake ninja-build g++ make bison flex)
if [ "${1:-all}" != "tools" ]; then
    packages+=(
        libgtest-dev libgmock-dev lld
        gputils gpsim
        srecord
        qt6-base-dev xvfb xauth
    )
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
echo "Installing missing packages: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
