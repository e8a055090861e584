#!/usr/bin/env bash
# Installs what building and testing Hostwarden needs on Debian 12 (as root).
# Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config
  # the Linux program: windows and the DNS query
  libfltk1.3-dev libc-ares-dev libsystemd-dev fonts-dejavu-core fonts-liberation
  # unit tests
  googletest libgtest-dev libgmock-dev
  # integration tests: namespaces as test hosts with a real DNS server
  iproute2 dnsmasq-base python3 util-linux
  # window tests: a screen without a display, input, screenshots
  xvfb xdotool imagemagick x11-utils
  # the Windows program: cross-build and Wine
  mingw-w64 wine wine64
  # fuzzing and benchmarks
  clang libclang-rt-14-dev valgrind hyperfine bind9-dnsutils bind9-host
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${packages[@]}" wine32:i386
