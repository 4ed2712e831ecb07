#!/usr/bin/env bash
# Runs the README's renaming recipe, as it stands there, on a folder of
# short-named files, in sh and in bash, and checks the folder and the reports.
set -euo pipefail
export LC_ALL=C # file name order
readme=$1 bindir=$2

fail() {
	echo "rename recipe: $*" >&2
	exit 1
}

recipe=$(sed -n '/^## Renaming an archive$/,/^## /{/^```sh$/,/^```$/{/^```/d;p;};}' "$readme")
[ -n "$recipe" ] || fail "none in $readme"

# Each file holds its first name, so the listing shows what went where.
fill() {
	for f in abmf0010.16o abmf0011.16o brux001a.16n zimm001a15.21o algo3650.23d \
		gope0010.20o xxxx0010.16o ABMF0020.16O README; do
		echo "$f" >"$f"
	done
	echo archived >GOPE00CZE_R_20200010000_01D_30S_MO.rnx
}

listing() {
	for f in *; do
		printf '%s: %s\n' "$f" "$(cat "$f")"
	done
}

top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
mkdir "$top/folder"
cd "$top/folder"

for shell in sh bash; do
	rm -rf ./* && fill
	PATH=$bindir:$PATH "$shell" -c "$recipe" 2>"$top/reports" || fail "$shell: status $?"
	diff -u - "$top/reports" <<-'REPORTS' || fail "$shell: reports differ"
		ABMF0020.16O: not renamed: File extension not supported
		abmf0011.16o: not renamed: ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists
		gope0010.20o: not renamed: GOPE00CZE_R_20200010000_01D_30S_MO.rnx exists
		xxxx0010.16o: not renamed: Station Name not found
	REPORTS
	diff -u - <(listing) <<-'LISTING' || fail "$shell: folder differs"
		ABMF0020.16O: ABMF0020.16O
		ABMF00GLP_R_20160010000_01D_30S_MO.rnx: abmf0010.16o
		ALGO00CAN_R_20233650000_01D_30S_MO.crx: algo3650.23d
		BRUX00BEL_R_20160010000_01H_GN.rnx: brux001a.16n
		GOPE00CZE_R_20200010000_01D_30S_MO.rnx: archived
		README: README
		ZIMM00CHE_R_20210010015_15M_01S_MO.rnx: zimm001a15.21o
		abmf0011.16o: abmf0011.16o
		gope0010.20o: gope0010.20o
		xxxx0010.16o: xxxx0010.16o
	LISTING
done

# With no short names to match, the patterns stay unexpanded: nothing to report.
rm -rf ./*
reports=$(PATH=$bindir:$PATH sh -c "$recipe" 2>&1) || fail "empty folder: status $?"
[ -z "$reports" ] || fail "empty folder: $reports"
[ -z "$(ls -A)" ] || fail "empty folder: made $(ls -A)"
