#!/usr/bin/env bash
# netpull-get over https:// against nginx on loopback with certificates made here by a test
# authority: files of 0 B, 1 MiB and 100 MiB and a chunked body saved byte for byte, over TLS
# 1.2 and over TLS 1.3, also through an intermediate authority, with a good stapled OCSP answer
# and through a wildcard; a certificate for another name or address or for a name a label
# deeper than its wildcard, an expired one, one not valid yet, a self-signed one, the test
# authority not trusted, a missing intermediate, a name only in the common name, a weak key or
# digest, an impostor of the authority, a leaf for clients, a leaf signed by a leaf, a stapled
# "revoked" (Linux), a leaf that its revocation list revokes (Windows; one whose list cannot be
# fetched downloads), a server with TLS 1.1 and older alone, plain HTTP on the TLS port, TLS on
# a plain port, a close or garbage in answer to the ClientHello each end in one Error with its
# reason, the same words on both platforms, and leave the file already at the save path as it
# was; a body without a length is saved when the server ends with close_notify, and refused
# when the connection is cut without.
# Usage: tls_servers_test.sh NETPULL_GET [--windows]   (--windows: netpull-get.exe under Wine,
# which reads the authority's file by its Windows path)
set -euo pipefail
getter=$1
windows=${2:-}
work=$(mktemp -d)
source "$(dirname "$0")/../../../tools/servers/loopback_servers.sh"
root=$work/root
out=$work/out
mkdir -p "$root/ssi" "$out"
head -c 0 /dev/urandom > "$root/empty.bin"
head -c 1048576 /dev/urandom > "$root/mib.bin"
head -c 104857600 /dev/urandom > "$root/hundred.bin"
head -c 300000 /dev/urandom > "$root/ssi/part.bin"
printf 'before <!--# include virtual="/ssi/part.bin" --> after' > "$root/ssi/page.txt"
{ printf 'before '; cat "$root/ssi/part.bin"; printf ' after'; } > "$work/ssi-expected.bin"
chmod -R a+rX "$root"
start_nginx "$root"
start_nginx_tls "$root"
trust_test_authority "$windows"

source "$(dirname "$0")/download_checks.sh"

secure=https://localhost:$nginx_tls_port
for file in empty mib hundred; do get "https-$file" "$secure/$file.bin" "$root/$file.bin"; done
get https-address "https://127.0.0.1:$nginx_tls_port/mib.bin" "$root/mib.bin"
get https-tls12-only "https://localhost:$nginx_tls12_port/mib.bin" "$root/mib.bin"
get https-client-certificate-asked "https://localhost:$nginx_tls_asking_port/mib.bin" "$root/mib.bin"
get https-chunked "$secure/ssi/page.txt" "$work/ssi-expected.bin"
refused https-404 "$secure/missing.bin" "Error 404 server error"
refused other-name "https://localhost:$nginx_tls_other_port/mib.bin" \
    "Error 10 certificate is not for localhost"
refused expired "https://localhost:$nginx_tls_expired_port/mib.bin" "Error 9 certificate expired"
refused not-yet-valid "https://localhost:$nginx_tls_future_port/mib.bin" \
    "Error 9 certificate not yet valid"
refused self-signed "https://localhost:$nginx_tls_self_port/mib.bin" \
    "Error 8 certificate not trusted: self-signed certificate"
# The same verdicts as curl's on both platforms: no name read from the common name once there
# are alternative names, no key or digest below the floor, no authority taken by its name.
refused cn-only "https://localhost:$nginx_tls_cn_only_port/mib.bin" \
    "Error 10 certificate is not for localhost"
refused rsa-1024 "https://localhost:$nginx_tls_rsa1024_port/mib.bin" \
    "Error 8 certificate not trusted: EE certificate key too weak"
refused sha1-signed "https://localhost:$nginx_tls_sha1_port/mib.bin" \
    "Error 8 certificate not trusted: CA signature digest algorithm too weak"
refused impostor-authority "https://localhost:$nginx_tls_impostor_port/mib.bin" \
    "Error 8 certificate not trusted: self-signed certificate in certificate chain"
refused client-only "https://localhost:$nginx_tls_client_only_port/mib.bin" \
    "Error 8 certificate not trusted: unsuitable certificate purpose"
refused under-leaf "https://localhost:$nginx_tls_under_leaf_port/mib.bin" \
    "Error 8 certificate not trusted: invalid CA certificate"
get intermediate "https://localhost:$nginx_tls_chained_port/mib.bin" "$root/mib.bin"
refused missing-intermediate "https://localhost:$nginx_tls_unchained_port/mib.bin" \
    "Error 8 certificate not trusted: unable to get local issuer certificate"
refused address-without-entry "https://127.0.0.1:$nginx_tls_other_port/mib.bin" \
    "Error 10 certificate is not for 127.0.0.1"
get stapled-good "https://localhost:$nginx_tls_stapled_good_port/mib.bin" "$root/mib.bin"
get listed-good "https://localhost:$nginx_tls_listed_good_port/mib.bin" "$root/mib.bin"
get listed-offline "https://localhost:$nginx_tls_listed_offline_port/mib.bin" "$root/mib.bin"
# Linux asks for the stapled OCSP answer, Windows' chain engine fetches the revocation list.
if [ "$windows" = --windows ]; then
    refused listed-revoked "https://localhost:$nginx_tls_listed_revoked_port/mib.bin" \
        "Error 8 certificate not trusted: certificate revoked"
    get stapled-revoked-unread "https://localhost:$nginx_tls_stapled_revoked_port/mib.bin" \
        "$root/mib.bin"
else
    refused stapled-revoked "https://localhost:$nginx_tls_stapled_revoked_port/mib.bin" \
        "Error 8 certificate not trusted: certificate revoked"
    get listed-revoked-unread "https://localhost:$nginx_tls_listed_revoked_port/mib.bin" \
        "$root/mib.bin"
fi
# A wildcard stands for one label, no more: the names are the test's own, in a hosts file that
# netpull-get alone sees.
printf '127.0.0.1 localhost one.netpull.test two.one.netpull.test\n' > "$work/hosts"
plain_getter=$getter
getter=$(getter_with_hosts "$work/hosts")
get wildcard "https://one.netpull.test:$nginx_tls_wildcard_port/mib.bin" "$root/mib.bin"
refused wildcard-depth "https://two.one.netpull.test:$nginx_tls_wildcard_port/mib.bin" \
    "Error 10 certificate is not for two.one.netpull.test"
getter=$plain_getter
NETPULL_TEST_AUTHORITY="" refused untrusted-authority "$secure/mib.bin" \
    "Error 8 certificate not trusted: unable to get local issuer certificate"
if [ "$windows" = --windows ]; then
    # Wine 8's Schannel has no TLS 1.3: the download must still end, in one clean Error.
    refused https-tls13-only "https://localhost:$nginx_tls13_port/mib.bin" "Error 7 TLS handshake failed: "
else
    get https-tls13-only "https://localhost:$nginx_tls13_port/mib.bin" "$root/mib.bin"
fi
refused tls-1.1 "https://localhost:$nginx_tls_old_port/mib.bin" "Error 7 TLS handshake failed: "
refused http-on-tls-port "http://127.0.0.1:$nginx_tls_port/mib.bin" "Error 400 server error"
refused tls-on-plain-port "https://127.0.0.1:$nginx_port/mib.bin" "Error 7 TLS handshake failed: "

# A body without a length is whole only when the server ends TLS with close_notify: cut off
# without it, it may be cut short. Python's TLS server does either; then it reads a ClientHello
# and closes, and answers one with bytes that are no TLS: one connection each, in this order.
python3 - "$work/tls/loopback.pem" "$work/tls/loopback.key" "$work/python.port" \
    notify cut close garbage <<'PY' &
import socket, ssl, sys
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[1], sys.argv[2])
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen()
listener.settimeout(120)
open(sys.argv[3], "w").write(str(listener.getsockname()[1]))
for ending in sys.argv[4:]:
    connection, _ = listener.accept()
    connection.settimeout(60)
    try:
        if ending in ("close", "garbage"):
            connection.recv(65536)  # the ClientHello
            if ending == "garbage":
                connection.sendall(bytes(range(256)) * 4)
        else:
            secure = context.wrap_socket(connection, server_side=True)
            request = b""
            while b"\r\n\r\n" not in request:
                request += secure.recv(4096)
            secure.sendall(b"HTTP/1.0 200 OK\r\n\r\n" + b"body without length" * 1000)
            if ending == "notify":
                secure.unwrap()  # sends close_notify, then waits for the client's, which may not come
            else:
                secure.shutdown(socket.SHUT_RDWR)  # at the TCP level: no close_notify
    except OSError:
        pass
    connection.close()
PY
for _ in $(seq 50); do [ -s "$work/python.port" ] && break; sleep 0.1; done
python_tls=https://localhost:$(cat "$work/python.port")/
python3 -c 'print("body without length" * 1000, end="")' > "$work/unframed.bin"
get unframed-close-notify "$python_tls" "$work/unframed.bin"
refused unframed-cut-off "$python_tls" "Error 1 connection lost"
refused closed-in-handshake "$python_tls" \
    "Error 7 TLS handshake failed: the server closed the connection"
refused garbage-in-handshake "$python_tls" "Error 7 TLS handshake failed: "

report "all https:// downloads passed"
