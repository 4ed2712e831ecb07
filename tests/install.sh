#!/usr/bin/env bash
# cmake --install into a fresh prefix: the tool in bin/, its page in
# share/man/man1/, and the installed tool converting a name. A sanitized build
# (third argument ON) links the sanitizers' C++ run-time, so only a plain one
# is checked for libstdc++.
set -euo pipefail
cmake=$1 build=$2 sanitized=${3:-OFF}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
diff <(cd "$prefix" && find . -type f | sort) - <<'LIST'
./bin/orvane
./share/man/man1/orvane.1.gz
LIST

cmp <("$prefix/bin/orvane" abmf0010.16o) <(printf 'ABMF00GLP_R_20160010000_01D_30S_MO.rnx \n')
gzip -dc "$prefix/share/man/man1/orvane.1.gz" | grep -q '^\.TH ORVANE 1 '
if [ "$sanitized" = OFF ] && ldd "$prefix/bin/orvane" | grep libstdc++; then
	echo "installed orvane needs libstdc++" >&2
	exit 1
fi
