#!/bin/sh
# need.sh TOOL WHAT COMMAND...: runs COMMAND, or skips WHAT without TOOL.
tool=$1 what=$2
shift 2
if ! command -v "$tool" >/dev/null; then
	echo "SKIP: $what ($tool not installed)" | tee -a "${RANGECAT_SKIPS:-/dev/null}"
	exit 77
fi
exec "$@"
