#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: it asks apt
# only for what is missing, and says nothing when everything is there.
set -eu

packages=(
    g++-mingw-w64-x86-64-posix   # cross compiler and windres
    wine wine64                  # the Windows runtime
    cmake ninja-build            # build
    googletest                   # test framework sources, built by our tree
    xvfb xauth fonts-liberation2 # windows and screenshots without a display
    clang libclang-rt-14-dev     # host build: sanitizers and libFuzzer
    libwin-hivex-perl            # real registry hives for test data
    python3                      # stand-in servers and asset scripts
    openssl                      # signs the update test build (tools/sign-update.py)
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
