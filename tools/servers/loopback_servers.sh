# Sourced by scripts that need real HTTP servers on loopback: starts nginx, apache2, lighttpd or
# Python's http.server from Debian on a free loopback port, each with a configuration written
# here into $work, serving the folder given; all of them stop when the script exits.
# Needs: $work, an empty folder of the caller's. Each start_SERVER ROOT sets SERVER_port, unless
# the caller chose it beforehand (to write configurations that point from one to another);
# start_nginx, start_nginx_tls and start_apache take a second argument, settings added to each
# server (nginx) or to the configuration (apache).
# What each one answers besides the files of ROOT (nginx also on [::1] at its port):
#   nginx:    /moved 301, /broken 500, /ssi/ with server-side includes (a chunked body)
#   apache:   /moved 301, /cgi-bin/SCRIPT from $work/cgi-bin (a body without length is chunked)
#   lighttpd: /moved 301, /cgi-bin/SCRIPT from $work/cgi-bin
#   python:   a folder's name without its final "/" gives 301
# start_tinyproxy NAME SETTINGS... starts a proxy with those lines of settings, NAME_port, its
# log $work/logs/NAME.log.
# start_nginx_tls ROOT serves ROOT over TLS, with certificates made here by a test authority
# ($test_authority, its PEM file): nginx_tls_port for localhost and 127.0.0.1 (TLS 1.2 and 1.3;
# nginx_tls12_port and nginx_tls13_port the same with one version each), nginx_tls_other_port
# for another name, nginx_tls_expired_port expired, nginx_tls_future_port not valid until next
# year, nginx_tls_wildcard_port for *.netpull.test, nginx_tls_self_port self-signed,
# nginx_tls_old_port with TLS 1.0 and 1.1 alone, nginx_tls_asking_port asking for a client
# certificate that it does not require, nginx_tls_cn_only_port whose certificate names
# localhost only in its common name (an address in its alternative names),
# nginx_tls_rsa1024_port with an RSA-1024 key, nginx_tls_sha1_port signed with SHA-1, and
# nginx_tls_impostor_port signed by an authority with the test authority's name and serial
# number but another key, nginx_tls_client_only_port with a leaf for clients only and
# nginx_tls_under_leaf_port with a leaf signed by a certificate that is no authority;
# nginx_tls_stapled_good_port and nginx_tls_stapled_revoked_port staple an OCSP answer, good
# and revoked; nginx_tls_chained_port sends a leaf and the intermediate authority that signed
# it, nginx_tls_unchained_port the leaf alone; nginx_tls_listed_good_port and
# nginx_tls_listed_revoked_port have leaves that name the authority's revocation list
# (nginx_crl_port serves it), which revokes the second; nginx_tls_listed_offline_port's leaf
# names a list where nothing answers.
mkdir -p "$work/logs" "$work/cgi-bin"
# The servers run as unprivileged users: the folders must be readable by anyone.
chmod 755 "$work" "$work/cgi-bin"
cat > "$work/cgi-bin/broken.sh" <<'CGI'
#!/bin/sh
printf 'Status: 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\nbroken\n'
CGI
chmod 755 "$work/cgi-bin/broken.sh"

servers_stop() {
    local pidfile
    for pidfile in "$work"/*.pid; do
        [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
    done
    # The servers' workers go with their parents; give them a moment before the folder goes.
    for _ in $(seq 20); do
        pgrep -f "$work/" > /dev/null || break
        sleep 0.1
    done
    rm -rf "$work"
}
trap servers_stop EXIT

# A port nothing listens on, on 127.0.0.1 nor on ::1, and none handed out before in this run: the
# system may offer one again once its socket is closed, and two servers on one port would answer
# each other's tests.
free_port() {
    local port
    while :; do
        port=$(python3 -c '
import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); port = s.getsockname()[1]
try:
    socket.socket(socket.AF_INET6).bind(("::1", port)); print(port)
except OSError:
    print(0)')
        [ "$port" != 0 ] || continue
        grep -qx "$port" "$work/ports" 2> /dev/null || break
    done
    echo "$port" >> "$work/ports"
    echo "$port"
}

# Waits, at most 10 s, until something answers on the port.
wait_for_port() {
    local _
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.1
    done
    echo "nothing listens on port $1"
    return 1
}

# getter_with_hosts HOSTS_FILE: a script of $work that runs $getter where /etc/hosts is the file
# given, in a mount namespace of its own, so that it alone resolves the test's names (to
# loopback); prints its path, or fails with the reason when no namespace can be made.
getter_with_hosts() {
    local hosts=$1 script=$work/getter-with-hosts.sh
    chmod 644 "$hosts"
    if ! unshare --mount sh -c 'mount --bind "$0" /etc/hosts' "$hosts" 2> /dev/null; then
        echo "no mount namespace for the test's hosts file: unshare --mount needs root" >&2
        return 1
    fi
    cat > "$script" <<SH
#!/bin/sh
exec unshare --mount sh -c 'mount --bind "\$0" /etc/hosts && exec "\$@"' "$hosts" "$getter" "\$@"
SH
    chmod 755 "$script"
    echo "$script"
}

require() {
    if [ ! -x "$1" ]; then
        echo "$1 is missing: run tools/install-deps.sh"
        exit 1
    fi
}

# nginx_settings NAME: the start of an nginx configuration, up to the servers of its http block,
# with its pid file and error log named NAME and every temporary folder in $work.
nginx_settings() {
    cat <<CONF
daemon on;
pid $work/$1.pid;
error_log $work/logs/$1-error.log;
events {}
http {
    access_log off;
    sendfile on;
    client_body_temp_path $work/logs;
    proxy_temp_path $work/logs;
    fastcgi_temp_path $work/logs;
    uwsgi_temp_path $work/logs;
    scgi_temp_path $work/logs;
CONF
}

start_nginx() {
    local root=$1 extra=${2:-}
    require /usr/sbin/nginx
    chmod 755 "$root"
    nginx_port=${nginx_port:-$(free_port)}
    {
        nginx_settings nginx
        cat <<CONF
    server {
        listen 127.0.0.1:$nginx_port;
        listen [::1]:$nginx_port;
        root $root;
        location = /moved { return 301 /elsewhere; }
        location = /broken { return 500; }
        location /ssi/ { ssi on; ssi_types *; }
        $extra
    }
}
CONF
    } > "$work/nginx.conf"
    /usr/sbin/nginx -c "$work/nginx.conf" -p "$work"
    wait_for_port "$nginx_port"
}

start_apache() {
    local root=$1 extra=${2:-} modules=/usr/lib/apache2/modules
    require /usr/sbin/apache2
    chmod 755 "$root"
    apache_port=${apache_port:-$(free_port)}
    cat > "$work/apache.conf" <<CONF
ServerRoot "$work"
ServerName localhost
Listen 127.0.0.1:$apache_port
PidFile $work/apache.pid
DefaultRuntimeDir $work
ErrorLog $work/logs/apache-error.log
LoadModule mpm_prefork_module $modules/mod_mpm_prefork.so
LoadModule authz_core_module $modules/mod_authz_core.so
LoadModule authz_user_module $modules/mod_authz_user.so
LoadModule authn_core_module $modules/mod_authn_core.so
LoadModule authn_file_module $modules/mod_authn_file.so
LoadModule auth_basic_module $modules/mod_auth_basic.so
LoadModule alias_module $modules/mod_alias.so
LoadModule cgi_module $modules/mod_cgi.so
User www-data
Group www-data
DocumentRoot "$root"
<Directory "$root">
    Require all granted
</Directory>
Redirect 301 /moved /elsewhere
ScriptAlias /cgi-bin/ "$work/cgi-bin/"
<Directory "$work/cgi-bin">
    Require all granted
</Directory>
$extra
CONF
    /usr/sbin/apache2 -f "$work/apache.conf" -k start
    wait_for_port "$apache_port"
}

start_lighttpd() {
    local root=$1
    require /usr/sbin/lighttpd
    chmod 755 "$root"
    lighttpd_port=$(free_port)
    cat > "$work/lighttpd.conf" <<CONF
server.document-root = "$root"
server.bind = "127.0.0.1"
server.port = $lighttpd_port
server.pid-file = "$work/lighttpd.pid"
server.errorlog = "$work/logs/lighttpd-error.log"
server.modules = ("mod_redirect", "mod_alias", "mod_cgi")
url.redirect = ("^/moved\$" => "/elsewhere")
alias.url = ("/cgi-bin/" => "$work/cgi-bin/")
\$HTTP["url"] =~ "^/cgi-bin/" { cgi.assign = ("" => "") }
CONF
    /usr/sbin/lighttpd -f "$work/lighttpd.conf"
    wait_for_port "$lighttpd_port"
}

start_python() {
    local root=$1
    python_port=$(free_port)
    python3 -m http.server --bind 127.0.0.1 --directory "$root" "$python_port" > "$work/logs/python.log" 2>&1 &
    echo $! > "$work/python.pid"
    wait_for_port "$python_port"
}

# start_tinyproxy NAME SETTINGS...: a tinyproxy on a free loopback port, NAME_port.
start_tinyproxy() {
    local name=$1 port
    shift
    require /usr/bin/tinyproxy
    port=$(free_port)
    {
        printf 'Port %s\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\nLogLevel Info\n' "$port"
        printf 'LogFile "%s"\nPidFile "%s"\nMaxClients 20\n' "$work/logs/$name.log" "$work/$name.pid"
        printf '%s\n' "$@"
    } > "$work/$name.conf"
    tinyproxy -d -c "$work/$name.conf" > /dev/null 2>&1 &
    wait_for_port "$port"
    printf -v "${name}_port" '%s' "$port"
}
# trust_test_authority [--windows]: names the authority of start_nginx_tls in
# NETPULL_TEST_AUTHORITY, by its Windows path for a program under Wine.
# make_test_authority: $test_authority, $work/tls/authority.pem and its key.
make_test_authority() {
    mkdir -p "$work/tls"
    test_authority=$work/tls/authority.pem
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Netpull Test Authority" \
        -keyout "$work/tls/authority.key" -out "$test_authority" 2> /dev/null
}

trust_test_authority() {
    NETPULL_TEST_AUTHORITY=$test_authority
    [ "${1:-}" = --windows ] && NETPULL_TEST_AUTHORITY="Z:${test_authority//\//\\}"
    export NETPULL_TEST_AUTHORITY
}

# make_certificate NAME SUBJECT_ALT_NAMES [ca|self|SIGNER] [expired] [KEY] [DIGEST] [EXTENSIONS]:
# $work/tls/NAME.{key,pem}, signed by the test authority, by itself or by $work/tls/SIGNER, with
# an rsa:2048 key and SHA-256 unless KEY (as openssl req -newkey takes it) and DIGEST say;
# EXTENSIONS are more lines of its extensions file.
# RSA keys: Wine's crypt32 now and then rejects a sound ECDSA signature.
make_certificate() {
    local name=$1 names=$2 signer=${3:-ca} days=2 tls=$work/tls key=${5:-rsa:2048}
    local digest=-${6:-sha256} extensions=${7:-}
    [ "${4:-}" = expired ] && days=-1
    openssl req -new -newkey "$key" -nodes -subj "/CN=$name" \
        -keyout "$tls/$name.key" -out "$tls/$name.csr" 2> /dev/null
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\n%s' "$names" "$extensions" > "$tls/$name.ext"
    if [ "${4:-}" = future ]; then
        # Valid from next year on: only openssl ca sets the start.
        openssl ca -batch -config "$tls/ca.conf" -cert "$test_authority" -keyfile "$tls/authority.key" \
            -md "${6:-sha256}" -startdate "$(date -u -d 'next year' +%Y%m%d%H%M%SZ)" \
            -enddate "$(date -u -d 'next year + 2 days' +%Y%m%d%H%M%SZ)" -extfile "$tls/$name.ext" \
            -notext -in "$tls/$name.csr" -out "$tls/$name.pem" 2> /dev/null
    elif [ "$signer" = self ]; then
        openssl x509 -req -in "$tls/$name.csr" -signkey "$tls/$name.key" -days "$days" \
            "$digest" -extfile "$tls/$name.ext" -out "$tls/$name.pem" 2> /dev/null
    else
        local authority=$test_authority authority_key=$tls/authority.key
        [ "$signer" = ca ] || { authority=$tls/$signer.pem; authority_key=$tls/$signer.key; }
        openssl x509 -req -in "$tls/$name.csr" -CA "$authority" -CAkey "$authority_key" \
            -CAcreateserial -days "$days" "$digest" -extfile "$tls/$name.ext" \
            -out "$tls/$name.pem" 2> /dev/null
    fi
}

# The test authority's openssl ca settings and database, for what openssl x509 cannot make: a
# start date to come, revocation lists.
authority_database() {
    local tls=$work/tls
    mkdir -p "$tls/ca-db"
    : > "$tls/ca-db/index.txt"
    openssl rand -hex 8 > "$tls/ca-db/serial"
    printf '[ca]\ndefault_ca=test\n[test]\ndatabase=%s\nnew_certs_dir=%s\nserial=%s\npolicy=any\n[any]\ncommonName=supplied\n' \
        "$tls/ca-db/index.txt" "$tls/ca-db" "$tls/ca-db/serial" > "$tls/ca.conf"
}

start_nginx_tls() {
    local root=$1 extra=${2:-} tls=$work/tls
    require /usr/sbin/nginx
    chmod 755 "$root"
    make_test_authority
    make_certificate loopback "DNS:localhost,IP:127.0.0.1"
    make_certificate other "DNS:other.example"
    make_certificate expired "DNS:localhost,IP:127.0.0.1" ca expired
    authority_database
    make_certificate future "DNS:localhost,IP:127.0.0.1" ca future
    make_certificate wildcard "DNS:*.netpull.test"
    make_certificate self "DNS:localhost,IP:127.0.0.1" self
    # A name only in the common name, beside an address in the alternative names.
    make_certificate localhost "IP:127.0.0.1"
    make_certificate rsa1024 "DNS:localhost,IP:127.0.0.1" ca "" rsa:1024
    make_certificate sha1 "DNS:localhost,IP:127.0.0.1" ca "" rsa:2048 sha1
    # An impostor authority: the test authority's name and serial number, another key; the
    # server sends it after the leaf it signed.
    local serial
    serial=$(openssl x509 -in "$test_authority" -noout -serial | cut -d= -f2)
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -set_serial "0x$serial" \
        -subj "/CN=Netpull Test Authority" -keyout "$tls/impostor-authority.key" \
        -out "$tls/impostor-authority.pem" 2> /dev/null
    make_certificate impostor "DNS:localhost,IP:127.0.0.1" impostor-authority
    cat "$tls/impostor-authority.pem" >> "$tls/impostor.pem"
    # A leaf for clients only, and one signed by a certificate that is no authority.
    make_certificate client-only "DNS:localhost,IP:127.0.0.1" ca "" rsa:2048 sha256 \
        "extendedKeyUsage=clientAuth"
    make_certificate not-authority "DNS:not-authority.example"
    make_certificate under-leaf "DNS:localhost,IP:127.0.0.1" not-authority
    cat "$tls/not-authority.pem" >> "$tls/under-leaf.pem"
    # An intermediate authority and a leaf it signs, served with and without it.
    openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Netpull Test Intermediate" \
        -keyout "$tls/intermediate.key" -out "$tls/intermediate.csr" 2> /dev/null
    printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\n' \
        > "$tls/intermediate.ext"
    openssl x509 -req -in "$tls/intermediate.csr" -CA "$test_authority" -CAkey "$tls/authority.key" \
        -CAcreateserial -days 2 -extfile "$tls/intermediate.ext" -out "$tls/intermediate.pem" 2> /dev/null
    make_certificate below-intermediate "DNS:localhost,IP:127.0.0.1" intermediate
    cp "$tls/below-intermediate.key" "$tls/chained.key"
    cat "$tls/below-intermediate.pem" "$tls/intermediate.pem" > "$tls/chained.pem"
    # OCSP answers for two leaves, good and revoked, signed by the authority, which the servers
    # staple.
    local status revoked
    for name in good revoked; do
        make_certificate "stapled-$name" "DNS:localhost,IP:127.0.0.1"
        serial=$(openssl x509 -in "$tls/stapled-$name.pem" -noout -serial | cut -d= -f2)
        status=V revoked=""
        [ "$name" = revoked ] && status=R revoked=$(date -u -d yesterday +%y%m%d%H%M%SZ)
        printf '%s\t301231235959Z\t%s\t%s\tunknown\t/CN=stapled-%s\n' "$status" "$revoked" \
            "$serial" "$name" > "$tls/stapled-$name.index"
        openssl ocsp -index "$tls/stapled-$name.index" -rsigner "$test_authority" \
            -rkey "$tls/authority.key" -CA "$test_authority" -issuer "$test_authority" \
            -cert "$tls/stapled-$name.pem" -respout "$tls/stapled-$name.ocsp" -ndays 2 > /dev/null 2>&1
    done
    # Two leaves that name the authority's revocation list, served over http:// by the same
    # nginx; the list revokes one of them. A third names a list where nothing answers.
    nginx_crl_port=$(free_port)
    mkdir -p "$tls/crl"
    for name in good revoked; do
        make_certificate "listed-$name" "DNS:localhost,IP:127.0.0.1" ca "" rsa:2048 sha256 \
            "crlDistributionPoints=URI:http://127.0.0.1:$nginx_crl_port/authority.crl"
    done
    make_certificate listed-offline "DNS:localhost,IP:127.0.0.1" ca "" rsa:2048 sha256 \
        "crlDistributionPoints=URI:http://127.0.0.1:$(free_port)/authority.crl"
    serial=$(openssl x509 -in "$tls/listed-revoked.pem" -noout -serial | cut -d= -f2)
    printf 'R\t301231235959Z\t%s\t%s\tunknown\t/CN=listed-revoked\n' \
        "$(date -u -d yesterday +%y%m%d%H%M%SZ)" "$serial" > "$tls/ca-db/index.txt"
    openssl ca -gencrl -config "$tls/ca.conf" -cert "$test_authority" -keyfile "$tls/authority.key" \
        -md sha256 -crldays 2 -out "$tls/authority-crl.pem" 2> /dev/null
    openssl crl -in "$tls/authority-crl.pem" -outform DER -out "$tls/crl/authority.crl"
    chmod -R a+rX "$tls/crl"
    nginx_tls_port=${nginx_tls_port:-$(free_port)}
    nginx_tls12_port=$(free_port)
    nginx_tls13_port=$(free_port)
    nginx_tls_other_port=$(free_port)
    nginx_tls_expired_port=$(free_port)
    nginx_tls_future_port=$(free_port)
    nginx_tls_wildcard_port=$(free_port)
    nginx_tls_self_port=$(free_port)
    nginx_tls_old_port=$(free_port)
    nginx_tls_asking_port=$(free_port)
    nginx_tls_cn_only_port=$(free_port)
    nginx_tls_rsa1024_port=$(free_port)
    nginx_tls_sha1_port=$(free_port)
    nginx_tls_impostor_port=$(free_port)
    nginx_tls_client_only_port=$(free_port)
    nginx_tls_under_leaf_port=$(free_port)
    nginx_tls_stapled_good_port=$(free_port)
    nginx_tls_chained_port=$(free_port)
    nginx_tls_unchained_port=$(free_port)
    nginx_tls_stapled_revoked_port=$(free_port)
    nginx_tls_listed_good_port=$(free_port)
    nginx_tls_listed_revoked_port=$(free_port)
    nginx_tls_listed_offline_port=$(free_port)
    local servers="" server name port protocols settings
    # certificate:port:protocols[:more settings]
    for server in "loopback:$nginx_tls_port:TLSv1.2 TLSv1.3" "loopback:$nginx_tls12_port:TLSv1.2" \
        "loopback:$nginx_tls13_port:TLSv1.3" "other:$nginx_tls_other_port:TLSv1.2 TLSv1.3" \
        "expired:$nginx_tls_expired_port:TLSv1.2 TLSv1.3" "future:$nginx_tls_future_port:TLSv1.2" \
        "wildcard:$nginx_tls_wildcard_port:TLSv1.2 TLSv1.3" "self:$nginx_tls_self_port:TLSv1.2 TLSv1.3" \
        "loopback:$nginx_tls_old_port:TLSv1 TLSv1.1" \
        "loopback:$nginx_tls_asking_port:TLSv1.2:ssl_verify_client optional_no_ca;" \
        "localhost:$nginx_tls_cn_only_port:TLSv1.2 TLSv1.3" "rsa1024:$nginx_tls_rsa1024_port:TLSv1.2" \
        "sha1:$nginx_tls_sha1_port:TLSv1.2" "impostor:$nginx_tls_impostor_port:TLSv1.2" \
        "client-only:$nginx_tls_client_only_port:TLSv1.2" \
        "under-leaf:$nginx_tls_under_leaf_port:TLSv1.2" \
        "chained:$nginx_tls_chained_port:TLSv1.2 TLSv1.3" \
        "below-intermediate:$nginx_tls_unchained_port:TLSv1.2 TLSv1.3" \
        "stapled-good:$nginx_tls_stapled_good_port:TLSv1.2 TLSv1.3:ssl_stapling on; ssl_stapling_file $tls/stapled-good.ocsp;" \
        "stapled-revoked:$nginx_tls_stapled_revoked_port:TLSv1.2 TLSv1.3:ssl_stapling on; ssl_stapling_file $tls/stapled-revoked.ocsp;" \
        "listed-good:$nginx_tls_listed_good_port:TLSv1.2 TLSv1.3" \
        "listed-revoked:$nginx_tls_listed_revoked_port:TLSv1.2 TLSv1.3" \
        "listed-offline:$nginx_tls_listed_offline_port:TLSv1.2 TLSv1.3"; do
        IFS=: read -r name port protocols settings <<< "$server"
        servers+="
    server {
        listen 127.0.0.1:$port ssl;
        ssl_certificate $tls/$name.pem;
        ssl_certificate_key $tls/$name.key;
        ssl_protocols $protocols;
        ssl_ciphers DEFAULT:@SECLEVEL=0;
        $settings
        root $root;
        location /ssi/ { ssi on; ssi_types *; }
        $extra
    }"
    done
    servers+="
    server {
        listen 127.0.0.1:$nginx_crl_port;
        root $tls/crl;
    }"
    { nginx_settings nginx-tls; printf '%s\n}\n' "$servers"; } > "$work/nginx-tls.conf"
    /usr/sbin/nginx -c "$work/nginx-tls.conf" -p "$work"
    wait_for_port "$nginx_tls_port"
}
