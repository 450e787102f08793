#!/bin/sh
# Runs one test program with a home, data, config and temporary folder of its
# own, so no test sees another's settings database or the user's real files.
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/pryx-test.XXXXXX") || exit 99
export HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_CONFIG_HOME="$root/config" \
       XDG_CACHE_HOME="$root/cache" XDG_RUNTIME_DIR="$root/run" TMPDIR="$root/tmp"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QUICK_BACKEND=software
export PRYX_TEST_ROOT="$root"
"$@"
rc=$?
if [ "$rc" -eq 0 ] || [ -z "${PRYX_KEEP_FAILED:-}" ]; then
  rm -rf "$root"
else
  echo "test folder kept: $root" >&2
fi
exit $rc
