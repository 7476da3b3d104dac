#!/usr/bin/env bash
# netpull-get reaching nginx over IPv6 by name: a name of both families downloads from a server
# on ::1 alone (nothing listens at that port on 127.0.0.1), and from a server on both it is
# reached over IPv6 (the server's log shows ::1); a name of IPv6 alone downloads, and one of
# IPv4 alone, where only ::1 listens, is refused. The names are in a hosts file of the test's,
# which netpull-get alone sees, in a mount namespace of its own.
# Usage: ipv6_test.sh NETPULL_GET
set -euo pipefail
getter=$1
work=$(mktemp -d)
source "$(dirname "$0")/../../../tools/servers/loopback_servers.sh"
root=$work/root
out=$work/out
mkdir -p "$root" "$out"
head -c 100000 /dev/urandom > "$root/one.bin"
chmod -R a+rX "$root"
cat > "$work/hosts" <<'HOSTS'
127.0.0.1 localhost
::1 both.test six.test
127.0.0.1 both.test four.test
HOSTS
getter=$(getter_with_hosts "$work/hosts")

six_port=$(free_port)
dual_port=$(free_port)
require /usr/sbin/nginx
{
    nginx_settings nginx
    cat <<CONF
    log_format peer '\$remote_addr';
    server { listen [::1]:$six_port; root $root; }
    server {
        listen 127.0.0.1:$dual_port;
        listen [::1]:$dual_port;
        root $root;
        access_log $work/logs/dual.log peer;
    }
}
CONF
} > "$work/nginx.conf"
/usr/sbin/nginx -c "$work/nginx.conf" -p "$work"
wait_for_port "$dual_port"

source "$(dirname "$0")/download_checks.sh"
get both-families "http://both.test:$six_port/one.bin" "$root/one.bin"
get ipv6-alone "http://six.test:$six_port/one.bin" "$root/one.bin"
refused ipv4-alone "http://four.test:$six_port/one.bin" "Error 10061 "
get ipv6-first "http://both.test:$dual_port/one.bin" "$root/one.bin"
peers=$(cat "$work/logs/dual.log" 2> /dev/null || true)
if [ "$peers" = "::1" ]; then
    echo "ok   ipv6-first: the server on both families was reached over ::1"
else
    fail "ipv6-first: the server saw the connection come from '$peers', not ::1 alone"
fi
report "IPv6 test passed"
