#!/usr/bin/env bash
# Installs the Debian packages the project needs; quiet and quick when all are there.
set -euo pipefail
packages=(build-essential cmake pkg-config libgtest-dev libbenchmark-dev
          libfltk1.3-dev xvfb xauth flex libfl-dev bison qt6-base-dev libbdd-dev berkeley-abc clang libclang-rt-14-dev
          qpdf poppler-utils ghostscript mono-mcs mono-runtime ghdl yosys libjemalloc-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
