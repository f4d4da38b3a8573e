#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, from Debian's packages, whatever the build and the tests need and this
# machine lacks. Does nothing when everything is there.
set -euo pipefail

# What the programs need to be built and run, and to make their package (help2man writes
# orbitra-render's man page; dpkg-dev and file are what CPack uses for the .deb).
build=(g++ make cmake pkgconf qt6-base-dev libmuparser-dev libgccjit-12-dev libhdf5-dev
       fonts-dejavu-core help2man dpkg-dev file)
# What only the tests and benchmarks use.
tests=(libgtest-dev libgmock-dev libbenchmark-dev python3-h5py desktop-file-utils appstream lintian)
packages=("${build[@]}" "${tests[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y -o DPkg::Lock::Timeout=600 ${missing[*]}"
echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  run=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  run=(sudo)
else
  echo "These packages are missing and this user cannot install them. Run as root:" >&2
  echo "  $line" >&2
  exit 1
fi
"${run[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 "${missing[@]}"
