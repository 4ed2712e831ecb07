#!/usr/bin/env bash
# The programs, their pages, the documents and the completions as
# cmake --install puts them under a prefix, and as the portable archive of cpack -G TGZ holds
# them: the right files in the right places, the copyright file naming every
# library that may be linked in, and both programs working from there; uninstall removes what the install put there, and nothing else. The
# install is of the component that holds everything, as the packages' is, so
# that its record does not replace the build's install_manifest.txt, which
# uninstall reads.
set -euo pipefail
export LC_ALL=C # the lists below are in byte order
cmake=$1 cpack=$2 build=$3 source=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
	echo "install: $*" >&2
	exit 1
}

# The copyright file $1 has a paragraph for orvane and for each library that
# either program may carry linked in, each with its copyright and the text of
# its licence: its files, its licence, and the library its comment begins
# with.
libraries() {
	diff <(awk -v RS= '
		/^Files: / {
			n = split($0, line, "\n")
			files = licence = name = copyright = text = ""
			for (i = 1; i <= n; i++) {
				if (line[i] ~ /^Files: /) files = substr(line[i], 8)
				if (line[i] ~ /^Copyright: [^ ]/) copyright = 1
				if (line[i] ~ /^License: /) { licence = substr(line[i], 10); text = line[i + 1] ~ /^ / }
				if (line[i] ~ /^Comment: /) { split(line[i], word, " "); name = " | " word[2] }
			}
			print files " | " (copyright ? "" : "no copyright, ") licence (text ? "" : ", no text") name
		}' "$1") - <<-'LIST'
		* | Expat
		*/libc.a */libm.a */libpthread.a | LGPL-2.1+ | glibc,
		*/musl/lib/libc.a | Expat | musl,
		*/libstdc++.a */libgcc.a */libgcc_eh.a | GPL-3+ with GCC-Runtime-Library-3.1 exception | libstdc++,
		*/libz.a | Zlib | zlib,
		*/libbz2.a | bzip2-1.0.6 | bzip2's
		*/libexpat.a | Expat | expat,
	LIST
}

# The tree at $1 holds the programs and pages, and they work.
check() {
	diff <(cd "$1" && find . -type f | sort) - <<-'LIST' || fail "$2: files differ"
		./bin/orvane
		./bin/orvane-rename
		./share/bash-completion/completions/orvane
		./share/bash-completion/completions/orvane-rename
		./share/doc/orvane/CHANGELOG.md
		./share/doc/orvane/LICENSE
		./share/doc/orvane/copyright
		./share/doc/orvane/licenses/GPL-3
		./share/doc/orvane/licenses/LGPL-2.1
		./share/man/man1/orvane-rename.1.gz
		./share/man/man1/orvane.1.gz
		./share/zsh/site-functions/_orvane
		./share/zsh/site-functions/_orvane-rename
	LIST
	doc=$1/share/doc/orvane
	cmp "$doc/CHANGELOG.md" "$source/CHANGELOG.md" || fail "$2: CHANGELOG.md differs"
	cmp "$doc/LICENSE" "$source/LICENSE" || fail "$2: LICENSE differs"
	# orvane's licence as LICENSE has it, in Debian's format: each line
	# indented by one blank, each empty one " ."
	cmp <(awk 'licence && /^$/ { exit } licence; /^License: Expat$/ { licence = 1 }' "$doc/copyright" |
		sed 's/^ \.$//; t; s/^ \([^ ]\)/\1/; t; s/^/not in the format: /') \
		<(sed -n '/^Permission/,$p' "$source/LICENSE") || fail "$2: copyright differs from LICENSE"
	libraries "$doc/copyright" || fail "$2: the copyright file's paragraphs differ"
	# the full texts that it points to, beside it
	grep -o 'licenses/[^ ]* beside this file' "$doc/copyright" | sort -u | while read -r text _; do
		cmp "$doc/$text" "$source/packaging/$text" || fail "$2: $text differs"
	done
	cmp <("$1/bin/orvane" abmf0010.16o) <(printf 'ABMF00GLP_R_20160010000_01D_30S_MO.rnx \n') ||
		fail "$2: orvane converts abmf0010.16o wrongly"
	# grep reads each page whole: grep -q, leaving at the first line, could
	# end gzip by SIGPIPE, which pipefail takes for a failure
	gzip -dc "$1/share/man/man1/orvane.1.gz" | grep '^\.TH ORVANE 1 ' >/dev/null || fail "$2: orvane.1"
	gzip -dc "$1/share/man/man1/orvane-rename.1.gz" | grep '^\.TH ORVANE-RENAME 1 ' >/dev/null ||
		fail "$2: orvane-rename.1"
	mkdir "$work/files" && : >"$work/files/abmf0010.16o.gz"
	[ "$("$1/bin/orvane-rename" "$work/files")" = \
		"$work/files/abmf0010.16o.gz -> $work/files/ABMF00GLP_R_20160010000_01D_30S_MO.rnx.gz" ] ||
		fail "$2: orvane-rename renames abmf0010.16o.gz wrongly"
	rm -r "$work/files"
}

manifest=$build/install_manifest.txt
kept=$(cat "$manifest" 2>/dev/null || echo none)
"$cmake" --install "$build" --component orvane --prefix "$work/prefix" >/dev/null
check "$work/prefix" "cmake --install"

# uninstall takes what the install put there, and leaves what was there before
mkdir -p "$work/beside/bin" "$work/beside/share/man/man1"
echo other >"$work/beside/bin/other"
echo other >"$work/beside/share/man/man1/other.1.gz"
"$cmake" --install "$build" --component orvane --prefix "$work/beside" >/dev/null
"$cmake" -DMANIFEST="$build/install_manifest_orvane.txt" -P "$source/cmake/uninstall.cmake" >/dev/null
diff <(cd "$work/beside" && find . -type f | sort) - <<-'LIST' || fail "uninstall left or took files"
	./bin/other
	./share/man/man1/other.1.gz
LIST

"$cpack" -G TGZ --config "$build/CPackConfig.cmake" -B "$work/pack" >/dev/null
archive=$work/pack/orvane-16158-Linux-x86_64.tar.gz
[ -f "$archive" ] || fail "cpack -G TGZ made no $(basename "$archive")"
mkdir "$work/unpacked"
tar -xzf "$archive" -C "$work/unpacked"
check "$work/unpacked/orvane-16158-Linux-x86_64" "the archive"
[ "$(cat "$manifest" 2>/dev/null || echo none)" = "$kept" ] ||
	fail "installing for a test or a package replaced $manifest, which uninstall reads"
