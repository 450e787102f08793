#!/bin/sh
# Runs one test program with a home, data, config and temporary folder of its
# own, so no test sees another's settings database or the user's real files.
#
# The program runs in a session of its own. With PRYX_TEST_TIMEOUT (seconds,
# the test's ctest time-out) set, a watchdog prints the stack of every thread
# of every process of that session at three quarters of the time-out and ends
# them, so a hang shows where it hangs instead of only being killed by ctest.
# Processes a test leaves running are named and ended when it returns.
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

# The processes of session $1, one per line with its command line.
session() {
  cat /proc/[0-9]*/stat 2>/dev/null | awk -v s="$1" \
    '{ l = $0; sub(/^.*\) /, "", l); split(l, f, " "); if (f[4] == s && f[1] != "Z") print $1 }'
}

describe() {
  printf '%s: %s\n' "$1" "$(tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null)"
}

watchdog() {
  sleep "$1" >/dev/null 2>&1 &
  nap=$!
  trap 'kill $nap 2>/dev/null; exit 0' TERM
  wait $nap
  trap - TERM
  {
    echo "=== still running after $1 s of a $PRYX_TEST_TIMEOUT s time-out; stacks of every thread:"
    pids=$(session "$2")
    for p in $pids; do
      timeout "$3" gdb -batch -nx -iex "set auto-load python-scripts off" -p "$p" -ex "info threads" -ex "thread apply all bt" \
        </dev/null >"$root/stack.$p" 2>&1 &
    done
    wait
    for p in $pids; do
      echo "--- process $(describe "$p")"
      grep -v -e '^\[New LWP' -e '^\[Thread debugging' -e '^Using host libthread_db' \
              -e 'No such file or directory\.$' "$root/stack.$p"
    done
    echo "=== end of stacks; ending the test"
  } >&2
  kill -KILL $(session "$2") 2>/dev/null
}

# An X display of the test's own: no test sees another's windows, focus,
# keyboard grabs or clipboard, and keys it types reach only its own windows.
# Its number is random: a server that picks the lowest free number itself may
# take one that another test's server is still giving up, whose last act
# removes the new server's socket. It never resets: a server that resets when
# its last client leaves refuses the clients that connect meanwhile.
xvfb=
for try in 1 2 3 4 5; do
  n=$(( $(od -An -N2 -tu2 /dev/urandom) % 30000 + 1000 ))
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -displayfd 5 -screen 0 "${PRYX_TEST_SCREEN:-1920x1080x24}" -nolisten tcp -noreset \
    5>"$root/display" >"$root/xvfb.log" 2>&1 &
  xvfb=$!
  i=0
  while [ ! -s "$root/display" ] && [ $i -lt 400 ] && kill -0 $xvfb 2>/dev/null; do
    sleep 0.05
    i=$((i + 1))
  done
  [ -s "$root/display" ] && break
done
if [ ! -s "$root/display" ]; then
  echo "=== Xvfb did not start:" >&2
  cat "$root/xvfb.log" >&2
  [ -n "$xvfb" ] && kill $xvfb 2>/dev/null
  rm -rf "$root"
  exit 99
fi
export DISPLAY=":$(cat "$root/display")"
unset WAYLAND_DISPLAY XAUTHORITY

setsid "$@" &
pid=$!
trap 'kill -KILL $(session $pid) 2>/dev/null; kill $xvfb 2>/dev/null; exit 130' INT TERM HUP
dog=
if [ -n "${PRYX_TEST_TIMEOUT:-}" ]; then
  margin=$((PRYX_TEST_TIMEOUT / 4))
  watchdog $((PRYX_TEST_TIMEOUT - margin)) $pid $((margin * 2 / 3)) &
  dog=$!
fi
wait $pid
rc=$?
if [ -n "$dog" ]; then
  kill $dog 2>/dev/null
  wait $dog
fi
left=$(session $pid)
if [ -n "$left" ]; then
  echo "=== processes left running by the test, now ended:" >&2
  for p in $left; do describe "$p" >&2; done
  kill -KILL $left 2>/dev/null
fi
kill $xvfb 2>/dev/null
wait $xvfb 2>/dev/null
if [ "$rc" -eq 0 ] || [ -z "${PRYX_KEEP_FAILED:-}" ]; then
  rm -rf "$root"
else
  echo "test folder kept: $root" >&2
fi
exit $rc
