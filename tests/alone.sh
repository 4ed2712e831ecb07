#!/usr/bin/env bash
# A static build runs alone: in an empty folder made the root with chroot,
# with no loader, library or /proc, orvane converts a name and orvane-rename,
# with nothing beside it, renames a file. Exits 77, a skip, where chroot is
# missing or not permitted (it needs root, and lives in /usr/sbin), with the
# reason on its last line.
set -euo pipefail
orvane=$1 rename=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() {
	echo "runs alone: $*" >&2
	exit 1
}

if command -v file >/dev/null; then
	for bin in "$orvane" "$rename"; do
		file -L "$bin" | grep -q 'statically linked' || fail "not static: $(file -L "$bin")"
	done
fi
chroot=$(PATH=$PATH:/usr/sbin:/sbin command -v chroot) || {
	echo "there is no chroot here (coreutils puts it in /usr/sbin)"
	exit 77
}
mkdir "$root/bin"
cp "$orvane" "$root/bin/"
if ! "$chroot" "$root" /bin/orvane abmf0010.16o >"$root/out" 2>"$root/err"; then
	if grep -q 'Operation not permitted' "$root/err"; then
		echo "chroot is not permitted here; it needs root ($(cat "$root/err"))"
		exit 77
	fi
	fail "orvane in a chroot: $(cat "$root/err")"
fi
cmp "$root/out" <(printf 'ABMF00GLP_R_20160010000_01D_30S_MO.rnx \n') || fail "orvane's line differs"

rm -r "$root/bin"/* "$root/out" "$root/err"
cp "$rename" "$root/bin/"
: >"$root/abmf0010.16d.Z"
out=$("$chroot" "$root" /bin/orvane-rename /abmf0010.16d.Z) || fail "orvane-rename in a chroot: status $?"
[ "$out" = "/abmf0010.16d.Z -> /ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z" ] || fail "orvane-rename said $out"
[ -e "$root/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z" ] || fail "orvane-rename did not rename"
