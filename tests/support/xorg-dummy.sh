#!/bin/sh
# Starts an Xorg server with the dummy video driver on a free display and
# turns it into two monitors of different sizes side by side:
#   DUMMY0 1920x1080 at 0,0 and DUMMY1 (WIDTHxHEIGHT, default 1280x1024) at 1920,0.
# Usage: xorg-dummy.sh start [WIDTH0xHEIGHT0 WIDTH1xHEIGHT1]  -> prints "DISPLAY PID"
#        xorg-dummy.sh stop PID
# Needs root (Xorg opens its own log and the console).
set -u
cmd=${1:-start}
if [ "$cmd" = stop ]; then
  pid=${2:-}
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  exit 0
fi
mon0=${2:-1920x1080}
mon1=${3:-1280x1024}
w0=${mon0%x*}; h0=${mon0#*x}
w1=${mon1%x*}; h1=${mon1#*x}
vw=$((w0 + w1)); vh=$h0; [ "$h1" -gt "$vh" ] && vh=$h1

dir=$(mktemp -d "${TMPDIR:-/tmp}/xorg-dummy.XXXXXX") || exit 1
cat >"$dir/xorg.conf" <<CONF
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 512000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $vw $vh
  EndSubSection
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
CONF

# First display number without a lock file or socket.
n=70
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xorg ":$n" -noreset -nolisten tcp -config "$dir/xorg.conf" -logfile "$dir/xorg.log" \
     -configdir "$dir" >"$dir/stdout" 2>&1 &
pid=$!
i=0
until DISPLAY=":$n" xrandr -q >/dev/null 2>&1; do
  i=$((i + 1))
  if [ $i -gt 100 ] || ! kill -0 $pid 2>/dev/null; then
    echo "xorg-dummy: server did not start (log $dir/xorg.log)" >&2
    kill $pid 2>/dev/null
    exit 1
  fi
  sleep 0.1
done
export DISPLAY=":$n"
addmode() { # output WxH -> mode name
  name="pryx_$2"
  line=$(cvt "${2%x*}" "${2#*x}" 60 2>/dev/null | sed -n 's/^Modeline "[^"]*" *//p')
  [ -z "$line" ] && line=$(gtf "${2%x*}" "${2#*x}" 60 | sed -n 's/^ *Modeline "[^"]*" *//p')
  # shellcheck disable=SC2086
  xrandr --newmode "$name" $line >/dev/null 2>&1
  xrandr --addmode "$1" "$name" >/dev/null 2>&1
  echo "$name"
}
m0=$(addmode DUMMY0 "$mon0")
m1=$(addmode DUMMY1 "$mon1")
if ! xrandr --fb "${vw}x${vh}" --output DUMMY0 --mode "$m0" --pos 0x0 \
            --output DUMMY1 --mode "$m1" --pos "${w0}x0" >"$dir/xrandr.log" 2>&1; then
  echo "xorg-dummy: xrandr failed: $(cat "$dir/xrandr.log")" >&2
  kill $pid
  exit 1
fi
echo ":$n $pid"
