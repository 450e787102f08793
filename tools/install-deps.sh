#!/bin/sh
# Installs the Debian packages listed in packages.txt that are not installed yet.
set -eu
list="$(dirname "$0")/../packages.txt"
missing=""
for p in $(grep -v '^#' "$list"); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -ne 0 ]; then
  echo "Run as root (or install these packages):$missing" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
# Services that come with the packages (ssh, tinyproxy, vsftpd) must not start here.
printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d.pryx
chmod +x /usr/sbin/policy-rc.d.pryx
[ -e /usr/sbin/policy-rc.d ] || cp /usr/sbin/policy-rc.d.pryx /usr/sbin/policy-rc.d
apt-get install -y -q --no-install-recommends $missing
rm -f /usr/sbin/policy-rc.d.pryx
