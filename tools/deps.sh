#!/usr/bin/env bash
# Installs the Debian 12 packages DataSifter needs to build, run and test, when any is missing.
# Sourced by start.sh and test.sh; usable alone: tools/deps.sh
set -euo pipefail

DS_PACKAGES=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins fonts-dejavu-core
    mdbtools mdbtools-dev libglib2.0-dev libfreexl-dev
    xdg-utils xvfb xauth
    python3 python3-dbf python3-xlwt python3-xlrd python3-dbfread
    poppler-utils
)

ds_missing_packages() {
    local p missing=()
    for p in "${DS_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    echo "${missing[@]:-}"
}

ds_install_packages() {
    local missing
    missing=$(ds_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Bitte als root ausführen oder sudo installieren: $missing" >&2; return 1; }
        sudo=sudo
    fi
    echo "Installiere: $missing"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    ds_install_packages "$@"
fi
