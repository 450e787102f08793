#!/bin/sh
# Runs the whole suite. Each test gets a virtual X display of its own
# (tests/support/isolate.sh); tests that need servers (HTTPS stand-ins, FTP,
# SFTP, proxy, a multi-monitor X server) start them themselves, on 127.0.0.1
# only.
set -u
build=${1:-build}
jobs=${2:-$(nproc)}
cd "$build" || exit 1
exec ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 300
