#!/usr/bin/env bash
# The rates feed for the end-to-end test, as a CTest fixture:
#   feed-server.sh start STATE_DIR PECUN_FEED SAMPLE_XML
#       makes the list with pecun-feed, serves it with nginx and writes its URL to STATE_DIR/url;
#       the bank's sample files beside SAMPLE_XML are served in the same folder, by name, and
#       the second bank's sample tables under nbp/ at the addresses its API gives them (table
#       B's latest and table A's of the seven days up to B's date, and both over the 90 days up
#       to today for the history), for "NbpUrl"; the 90-day sample also as the ECB names it;
#       the same folder over https (a certificate for localhost from a CA made here,
#       STATE_DIR/tls/ca.der) at the URL in STATE_DIR/https-url, whose /to-http redirects to
#       the list over plain http
#   feed-server.sh stop STATE_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
serve="$here/../../feed/serve.sh"
# A CA and a certificate for localhost signed by it, for the https server.
make_certificates() {
    local tls=$1
    mkdir -p "$tls"
    openssl req -x509 -newkey rsa:2048 -nodes -days 7 -subj "/CN=Pecunor test CA" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        -keyout "$tls/ca.key" -out "$tls/ca.pem" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$tls/server.key" \
        -out "$tls/server.csr" 2>/dev/null
    printf '%s\n' "subjectAltName=DNS:localhost" "basicConstraints=CA:FALSE" \
        "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" \
        >"$tls/ext.cnf"
    openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" \
        -CAcreateserial -days 7 -extfile "$tls/ext.cnf" -out "$tls/server.pem" 2>/dev/null
    openssl x509 -in "$tls/ca.pem" -outform DER -out "$tls/ca.der"
    chmod 755 "$tls"
    chmod 644 "$tls"/*
}

# nginx over https on a free port, serving the list's folder.
start_https() {
    local state=$1 http_port port dir=$1/https
    http_port=$(cat "$state/nginx/port")
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    mkdir -p "$dir/temp"
    cat >"$dir/nginx.conf" <<EOF
worker_processes 1;
daemon on;
pid "$dir/nginx.pid";
error_log "$dir/error.log" notice;
$(grep -m1 '^user ' "$state/nginx/nginx.generated.conf" || true)
events { worker_connections 64; }
http {
    access_log "$dir/access.log";
    client_body_temp_path "$dir/temp/client_body";
    proxy_temp_path "$dir/temp/proxy";
    fastcgi_temp_path "$dir/temp/fastcgi";
    uwsgi_temp_path "$dir/temp/uwsgi";
    scgi_temp_path "$dir/temp/scgi";
    server {
        listen 127.0.0.1:$port ssl;
        server_name localhost;
        ssl_certificate "$state/tls/server.pem";
        ssl_certificate_key "$state/tls/server.key";
        root "$state/nginx/www";
        location /pecunup/ { index index.txt; default_type "text/plain; charset=utf-8"; }
        location = /to-http { return 302 http://127.0.0.1:$http_port/pecunup/; }
    }
}
EOF
    nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log"
    echo "https://localhost:$port/" >"$state/https-url"
}

stop_https() {
    local pid=$1/https/nginx.pid
    [ -f "$pid" ] || return 0
    kill -QUIT "$(cat "$pid")" 2>/dev/null || true
    for _ in $(seq 100); do [ -f "$pid" ] || break; sleep 0.05; done
}

case "${1:-}" in
    start)
        state=$2
        "$serve" stop "$state/nginx" >/dev/null 2>&1 || true
        stop_https "$state"
        rm -rf "$state"
        mkdir -p "$state"
        "$3" -o "$state/list.txt" "$4"
        "$serve" start "$state/nginx" "$state/list.txt" >"$state/url"
        for xml in "$(dirname "$4")"/eurofxref-*.xml; do
            install -m 644 "$xml" "$state/nginx/www/pecunup/"
        done
        nbp="$state/nginx/www/pecunup/nbp/tables"
        install -D -m 644 "$(dirname "$4")/nbp-table-b-2024-12-11.xml" "$nbp/B/index.txt"
        install -D -m 644 "$(dirname "$4")/nbp-tables-a-2024-12-05-2024-12-11.xml" \
            "$nbp/A/2024-12-05/2024-12-11/index.txt"
        # The history's documents: the ECB's 90-day file beside its daily one, and the tables over
        # the 90 days up to today (UTC) at the addresses the converter asks for today.
        install -m 644 "$(dirname "$4")/eurofxref-hist-90d-2019-04-11.xml" \
            "$state/nginx/www/pecunup/eurofxref-hist-90d.xml"
        to=$(date -u +%F)
        from=$(date -u -d "$to - 89 days" +%F)
        install -D -m 644 "$(dirname "$4")/nbp-tables-a-2024-12-05-2024-12-11.xml" \
            "$nbp/A/$from/$to/index.txt"
        install -D -m 644 "$(dirname "$4")/nbp-table-b-2024-12-11.xml" "$nbp/B/$from/$to/index.txt"
        make_certificates "$state/tls"
        start_https "$state"
        echo "serving $(cat "$state/url") and $(cat "$state/https-url")"
        ;;
    stop)
        stop_https "$2"
        "$serve" stop "$2/nginx"
        ;;
    *)
        echo "usage: feed-server.sh start STATE_DIR PECUN_FEED SAMPLE_XML | stop STATE_DIR" >&2
        exit 2
        ;;
esac
