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
# Service hosts a test does not set point at a closed loopback port, so no
# test ever reaches the real services.
for v in PRYX_AUTH_HOST PRYX_API_HOST PRYX_SUPPORT_HOST PRYX_ANALYTICS_HOST PRYX_UPDATE_HOST \
         PRYX_DROPBOX_WEB_HOST PRYX_DROPBOX_API_HOST PRYX_DROPBOX_CONTENT_HOST; do
  eval "[ -n \"\${$v:-}\" ] || export $v=127.0.0.1:9"
done
"$@"
rc=$?
if [ "$rc" -eq 0 ] || [ -z "${PRYX_KEEP_FAILED:-}" ]; then
  rm -rf "$root"
else
  echo "test folder kept: $root" >&2
fi
exit $rc
