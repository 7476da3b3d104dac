# Sourced by scripts that need files served on loopback: starts nginx from Debian on a free
# loopback port with the document root $work/root, and stops it when the script exits.
# Needs: $work, an empty folder of the caller's. Sets: $port.
mkdir -p "$work/root" "$work/logs"
# nginx serves as an unprivileged user: the folders must be readable by anyone.
chmod 755 "$work" "$work/root"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/nginx.conf" <<CONF
daemon on;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events {}
http {
    access_log off;
    sendfile on;
    client_body_temp_path $work/logs;
    proxy_temp_path $work/logs;
    fastcgi_temp_path $work/logs;
    uwsgi_temp_path $work/logs;
    scgi_temp_path $work/logs;
    server { listen 127.0.0.1:$port; root $work/root; }
}
CONF
stop_nginx() {
    [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    rm -rf "$work"
}
trap stop_nginx EXIT
"$(command -v nginx || echo /usr/sbin/nginx)" -c "$work/nginx.conf" -p "$work"
for _ in $(seq 50); do [ -f "$work/nginx.pid" ] && break; sleep 0.1; done
