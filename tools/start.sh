#!/usr/bin/env bash
# Installs what is missing, builds DataSifter (with its sample data folder) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/deps.sh
source "$root/tools/deps.sh"
ds_install_packages
build=${DS_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target datasifter datasifter-cli
exec "$build/src/app/DataSifter" "$@"
