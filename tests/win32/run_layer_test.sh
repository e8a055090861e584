#!/usr/bin/env bash
# Runs the Windows layer's test program under Wine in a namespace of its own:
# host name ws-17 (192.0.2.7), DNS servers 192.0.2.53 and 198.51.100.53, and a
# dnsmasq on 192.0.2.53 that answers alias.example.test with a CNAME to
# target.example.test. Nothing leaves the namespace.
#   run_layer_test.sh i686|x86_64 <win32_layer_test.exe> <wine prefix dir>
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  exec unshare -n -u -m "$0" --inside "$@"
fi
shift
if [ "$(readlink /proc/self/ns/net)" = "$(readlink /proc/1/ns/net)" ]; then
  echo "refusing to run: not inside a network namespace of its own" >&2
  exit 2
fi
arch=$1 program=$2 prefix=$3

work=$(mktemp -d)
dnsmasq_pid=
finish() {
  [ -n "$dnsmasq_pid" ] && kill "$dnsmasq_pid" 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

hostname ws-17
ip link set lo up
ip addr add 192.0.2.7/32 dev lo
ip addr add 192.0.2.53/32 dev lo
printf '127.0.0.1 localhost\n192.0.2.7 ws-17.example.test ws-17\n' >"$work/hosts"
printf 'nameserver 192.0.2.53\nnameserver 198.51.100.53\n' >"$work/resolv.conf"
mount --bind "$work/hosts" /etc/hosts
mount --bind "$work/resolv.conf" /etc/resolv.conf

dnsmasq --keep-in-foreground --no-resolv --no-hosts --listen-address=192.0.2.53 --bind-interfaces --port=53 \
  --pid-file="$work/dnsmasq.pid" --host-record=target.example.test,192.0.2.9 \
  --cname=alias.example.test,target.example.test &
dnsmasq_pid=$!
for _ in $(seq 50); do
  ss -uln | grep -q '192.0.2.53:53 ' && break
  sleep 0.1
done

if [ "$arch" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
export WINEPREFIX="$prefix" WINEDEBUG=-all
# A user name outside ASCII, to see it arrive through the ANSI code page.
export USER=Müller HW_EXPECT_USER=Müller HW_EXPECT_HOST=ws-17
cd "$(dirname "$program")"
wine "$program"
