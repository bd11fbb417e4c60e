#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and the Italian locale the
# program's Wine runs under. Idempotent: it asks apt only for what is missing, and says
# nothing when everything is there.
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
    nsis                         # the setup program
    locales                      # the Italian locale: Wine's own dialogs speak the program's language
    openssl                      # signs the update test build (tools/sign-update.py)
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# tools/wine-run.sh runs Wine under this locale.
if ! locale -a 2>/dev/null | grep -qix 'it_IT\.utf-\?8'; then
    echo "Generating the locale it_IT.UTF-8"
    "${sudo_cmd[@]}" localedef -i it_IT -f UTF-8 it_IT.UTF-8
fi
