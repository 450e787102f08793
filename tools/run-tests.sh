#!/bin/sh
# Runs the whole suite on one virtual X display. Tests that need servers
# (HTTPS stand-ins, FTP, SFTP, proxy, a multi-monitor X server) start them
# themselves, on 127.0.0.1 only.
set -u
build=${1:-build}
jobs=${2:-$(nproc)}
cd "$build" || exit 1
exec xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
  ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 300
