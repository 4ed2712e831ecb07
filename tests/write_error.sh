#!/usr/bin/env bash
# A line that never reaches standard output is a failure: status 1 and one
# line on standard error. usage: write_error.sh ORVANE
set -euo pipefail
orvane=$1
failed=0

expect() { # status stderr arguments...
	local want=$1 wantErr=$2 status=0 err
	shift 2
	err=$("$orvane" "$@" 2>&1 >/dev/full) || status=$?
	if [ "$status" != "$want" ] || [ "$err" != "$wantErr" ]; then
		echo "orvane $*: status $status, stderr '$err'; want $want, '$wantErr'"
		failed=1
	fi
}

full="$orvane: write error: No space left on device"
expect 1 "$full" abmf0010.16o
expect 1 "$full" -S xxxx0010.16o 00ITA
expect 1 "$full" --help
expect 1 "$full" --version
# a refused name already ends with status 1
expect 1 "" xxxx0010.16o
expect 1 ""
exit "$failed"
