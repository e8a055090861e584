#!/usr/bin/env bash
# Runs the Windows layer's test program under Wine in a namespace of its own:
# host name ws-17 (192.0.2.7), DNS servers 192.0.2.53 and 198.51.100.53, and a
# dnsmasq on 192.0.2.53 that answers alias.example.test with a CNAME to
# target.example.test and 192.0.2.7 with a PTR record. Nothing leaves the
# namespace. The i686 program runs under 32-bit Wine, and is skipped (exit 77)
# where the kernel cannot run 32-bit programs; the x86_64 one under 64-bit Wine.
#   run_layer_test.sh i686|x86_64 <win32_layer_test.exe> <wine prefix dir>
set -euo pipefail

if [ "${1:-}" = i686 ] && ! bash "$(dirname "$0")/../../scripts/kernel-runs-32bit.sh"; then
  echo "SKIPPED: this kernel cannot run 32-bit programs, so the i686 program is not run under Wine"
  exit 77
fi
if [ "${1:-}" = i686 ] && [ ! -e /usr/lib/wine/wine ]; then
  echo "SKIPPED: 32-bit Wine (wine32:i386) is not installed, so the i686 program is not run under Wine"
  exit 77
fi

namespaces() { echo "$(readlink /proc/self/ns/net) $(readlink /proc/self/ns/uts) $(readlink /proc/self/ns/mnt)"; }
refuse() {
  echo "refusing to run: $1" >&2
  exit 2
}

if [ "${1:-}" != --inside ]; then
  HW_OUTER_NAMESPACES=$(namespaces) exec unshare --net --uts --mount --propagation private "$0" --inside "$@"
fi
shift
# This changes the host name, addresses and /etc files: only ever in
# namespaces this script made itself, never in the machine's own.
[ -n "${HW_OUTER_NAMESPACES:-}" ] || refuse "not started through unshare by this script"
read -r outer_net outer_uts outer_mnt <<<"$HW_OUTER_NAMESPACES"
read -r net uts mnt <<<"$(namespaces)"
[ -n "$net" ] && [ -n "$uts" ] && [ -n "$mnt" ] || refuse "cannot read this process's namespaces"
[ "$net" != "$outer_net" ] && [ "$uts" != "$outer_uts" ] && [ "$mnt" != "$outer_mnt" ] ||
  refuse "a namespace is the one this script was started in"
init_net=$(readlink /proc/1/ns/net 2>/dev/null) || true  # may be hidden from us
[ "$net" != "$init_net" ] || refuse "the network namespace is the machine's own"
[ "$(ip -o link show | awk -F': ' '{print $2}')" = lo ] || refuse "the network namespace is not fresh"

arch=$1 program=$2 prefix=$3

work=$(mktemp -d)
dnsmasq_pid=
if [ "$arch" = i686 ]; then
  export WINEARCH=win32
  wine=wine server=wineserver
else
  # By its own path: /usr/bin/wine picks the 32-bit loader.
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  wine=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64
fi
finish() {
  [ -n "$dnsmasq_pid" ] && kill "$dnsmasq_pid" 2>/dev/null || true
  WINEPREFIX="$prefix" "$server" -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

hostname ws-17
ip link set lo up
ip addr add 192.0.2.7/32 dev lo
ip addr add 192.0.2.53/32 dev lo
printf '127.0.0.1 localhost\n192.0.2.7 ws-17.example.test ws-17\n' >"$work/hosts"
# edns0: without an OPT record in the answer, Wine 8's DNS client refuses a
# PTR answer whose name ends at the answer's last byte.
printf 'nameserver 192.0.2.53\nnameserver 198.51.100.53\noptions edns0\n' >"$work/resolv.conf"
mount --bind "$work/hosts" /etc/hosts
mount --bind "$work/resolv.conf" /etc/resolv.conf

dnsmasq --keep-in-foreground --no-resolv --no-hosts --listen-address=192.0.2.53 --bind-interfaces --port=53 \
  --pid-file="$work/dnsmasq.pid" --host-record=target.example.test,192.0.2.9 \
  --cname=alias.example.test,target.example.test --ptr-record=7.2.0.192.in-addr.arpa,ws-17.example.test &
dnsmasq_pid=$!
for _ in $(seq 50); do
  ss -uln | grep -q '192.0.2.53:53 ' && break
  sleep 0.1
done

# No Mono or Gecko: the test program needs neither, and their set-up slows
# the first start of a prefix.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A user name outside ASCII, to see it arrive through the ANSI code page.
export USER=Müller HW_EXPECT_USER=Müller HW_EXPECT_HOST=ws-17
cd "$(dirname "$program")"
"$wine" "$program"
