#!/usr/bin/env bash
# A static build runs alone: in an empty folder made the root with chroot,
# with no loader, library or /proc, orvane converts a name. Exits 77, a skip, where chroot is not permitted
# (it needs root).
set -euo pipefail
orvane=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() {
	echo "runs alone: $*" >&2
	exit 1
}

if command -v file >/dev/null; then
	for bin in "$orvane"; do
		file -L "$bin" | grep -q 'statically linked' || fail "not static: $(file -L "$bin")"
	done
fi
cp "$orvane" "$root/"
if ! chroot "$root" /orvane abmf0010.16o >"$root/out" 2>"$root/err"; then
	if grep -q 'Operation not permitted' "$root/err"; then
		echo "runs alone: skipped, chroot is not permitted here: $(cat "$root/err")"
		exit 77
	fi
	fail "orvane in a chroot: $(cat "$root/err")"
fi
cmp "$root/out" <(printf 'ABMF00GLP_R_20160010000_01D_30S_MO.rnx \n') || fail "orvane's line differs"

