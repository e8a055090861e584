#!/usr/bin/env bash
# Exits 0 when this kernel runs 32-bit x86 programs, 1 when it does not.
# It finds out by running one: a 93-byte static i386 program that only
# exits. Some kernels of our kind have no IA-32 emulation at all, and no
# installed package tells. HOSTWARDEN_NO_32BIT=1 answers "no" on any machine,
# to try the 64-bit-only path where 32-bit works.
set -u
[ "${HOSTWARDEN_NO_32BIT:-}" = 1 ] && exit 1
probe=$(mktemp "${TMPDIR:-/tmp}/hostwarden-i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
# ELF header and one program header for 0x08048000, then
# mov eax,1; xor ebx,ebx; int 0x80 (exit(0)).
printf '%b' \
  '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
  '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
  '\x00\x00\x00\x00' \
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
  '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
  '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null || exit 1
