#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent: it installs only what is
# missing and refreshes the package lists at most once per run. Run as root.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build g++-12 gcc-multilib g++-multilib
  clang clang-format clang-tidy libclang-rt-14-dev lld python3
  # product dependencies
  rapidjson-dev "libyaml-dev:$(dpkg --print-architecture)"
  # reference host
  libcpp-httplib-dev libcli11-dev
  # tests and benchmarks; qemu-user runs the 32-bit tests where the kernel cannot; valgrind
  # checks the sample scenarios for leaks and memory errors; the browser and its WebDriver load
  # mox-host's end-of-game page
  googletest libgtest-dev libbenchmark-dev qemu-user valgrind chromium chromium-driver
  # peers measured by the benchmarks only
  nlohmann-json3-dev libyaml-cpp-dev libmsgpack-cxx-dev libsimdjson-dev
)
# 32-bit libraries for the m32 build
foreign_packages=(libyaml-dev:i386)

# `setup.sh --win32` adds the Windows cross build: MinGW-w64 and libyaml's sources for the target.
win32=0
[ "${1:-}" = --win32 ] && win32=1
[ $win32 -eq 1 ] && packages+=(g++-mingw-w64-i686 dpkg-dev)
libyaml_source=/usr/local/src/mox-win32/libyaml

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: run as root (it installs Debian packages)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive

is_installed() {
  dpkg-query -W -f='${db:Status-Abbrev}\n' "$1" 2>/dev/null | grep -q '^ii'
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup.sh: adding the i386 architecture"
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}" "${foreign_packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done

updated=0
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup.sh: all ${#packages[@]}+${#foreign_packages[@]} packages present"
else
  echo "setup.sh: installing ${missing[*]}"
  apt-get update -qq
  updated=1
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# libyaml for the Windows build, compiled from Debian's source package (cmake/win32.cmake).
if [ $win32 -eq 1 ] && [ ! -f "$libyaml_source/include/yaml.h" ]; then
  sources=/etc/apt/sources.list.d/debian.sources
  if [ -f "$sources" ] && ! grep -q '^Types:.*deb-src' "$sources"; then
    echo "setup.sh: enabling Debian's source packages"
    sed -i 's/^Types: deb$/Types: deb deb-src/' "$sources"
    updated=0
  fi
  [ $updated -eq 1 ] || apt-get update -qq
  work=$(mktemp -d)
  (cd "$work" && apt-get source -qq libyaml)
  mkdir -p "$(dirname "$libyaml_source")"
  rm -rf "$libyaml_source"
  mv "$work"/libyaml-*/ "$libyaml_source"
  rm -rf "$work"
  echo "setup.sh: libyaml sources in $libyaml_source"
fi
