#!/usr/bin/env bash
# Installs what Hostwarden needs on Debian 12 (as root). Safe to run again:
# apt skips what is already there.
#   install-deps.sh run    what building and running the Linux program needs
#   install-deps.sh test   that, and every tool the tests, fuzzing and the
#                          benchmark use
set -euo pipefail
cd "$(dirname "$0")/.."

run_packages=(
  cmake g++ make pkg-config
  # the windows (GTK 3) and the DNS query
  libgtk-3-dev libc-ares-dev fonts-dejavu-core fonts-liberation
  # the build compiles the English texts of po/en.po into the program
  python3
)
test_packages=(
  # unit tests, and msgfmt's checks of the translators' PO files
  googletest libgtest-dev libgmock-dev gettext
  # integration tests: namespaces as test hosts with a real DNS server
  iproute2 dnsmasq-base python3 util-linux
  # real servers as the namespace's campus network: BIND as the authoritative
  # server, Unbound as a resolver in front of it, dhclient writing resolv.conf
  bind9 unbound isc-dhcp-client
  # the fleet test: rsyslog as collector and as each PC's forwarder
  rsyslog
  # the host-name service on a private system bus, which reads the name a
  # rename wrote: dbus-daemon, busctl and systemd-hostnamed (the systemd
  # package does not make itself PID 1; systemd-sysv would)
  dbus systemd
  # pkexec, which runs the program's elevated copy as root for an
  # administrator, and polkit, which decides whom it lets
  polkitd pkexec
  # window tests: a screen without a display, input, screenshots; what
  # screen readers get (the accessibility bus, pyatspi, a session bus from
  # dbus-launch); the themes and the screen resolution (xrdb) the windows
  # are tried in; Wayland without Xwayland; and zenity, a GTK program to
  # compare with
  xvfb xdotool imagemagick x11-utils x11-xserver-utils at-spi2-core python3-pyatspi dbus-x11 gnome-themes-extra
  adwaita-icon-theme weston zenity
  # the Windows program: cross-build, and 64-bit Wine, which every machine runs
  mingw-w64 wine wine64
  # the packages: dpkg-shlibdeps for Depends, lintian, desktop-file-validate and
  # mandoc for the .deb's desktop entries and manual page, msitools' wixl for
  # the MSI, osslsigncode (and openssl for a throw-away certificate) for signing
  dpkg-dev lintian desktop-file-utils mandoc msitools wixl osslsigncode openssl
  # Wine's own fonts ("MS Sans Serif", Tahoma), which the tests copy into each
  # prefix so labels render as they will on Windows
  fonts-wine
  # the German and English locales' sources, compiled for the Wine cases:
  # Wine takes a user's interface language from a locale it can load
  locales
  # fuzzing and benchmarks
  clang libclang-rt-14-dev valgrind hyperfine bind9-dnsutils bind9-host
)

optional_packages=()
case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test)
    packages=("${run_packages[@]}" "${test_packages[@]}")
    # 32-bit Wine only where this kernel runs 32-bit programs at all.
    if bash scripts/kernel-runs-32bit.sh; then
      if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
      fi
      optional_packages=(wine32:i386)
    fi
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

# A mirror in the middle of a sync fails one index now and then; apt then
# keeps the lists it had. Try again a few times, and go on with what apt has:
# the install below still fails loudly if a package cannot be had.
for attempt in 1 2 3; do
  apt-get update -q && break
  echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 5))
done
# The test servers run only inside the tests' namespaces: their packages must
# not start them on this machine. A policy-rc.d that refuses every start stands
# in place during the install; the machine's own one, if any, comes back after.
policy=/usr/sbin/policy-rc.d
saved_policy=
if [[ -e $policy ]]; then
  saved_policy=$(mktemp)
  cp -p "$policy" "$saved_policy"
fi
put_policy_back() {
  if [[ -n $saved_policy ]]; then
    cp -p "$saved_policy" "$policy" && rm -f "$saved_policy"
  else
    rm -f "$policy"
  fi
}
trap put_policy_back EXIT
printf '#!/bin/sh\n# no service starts while install-deps.sh installs\nexit 101\n' >"$policy"
chmod 755 "$policy"
apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"; }
apt_install "${packages[@]}"
# 32-bit Wine needs the i386 libraries at the very versions of the amd64
# ones, so an i386 index that a mirror failed to deliver leaves it
# uninstallable. The i686 Wine cases then report themselves skipped, with
# that reason; everything else still runs.
if [ "${#optional_packages[@]}" -gt 0 ] && ! apt_install "${optional_packages[@]}"; then
  echo "install-deps: could not install ${optional_packages[*]}; the i686 Wine cases will be skipped" >&2
fi
