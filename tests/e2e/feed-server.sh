#!/usr/bin/env bash
# The rates feed for the end-to-end test, as a CTest fixture:
#   feed-server.sh start STATE_DIR PECUN_FEED SAMPLE_XML
#       makes the list with pecun-feed, serves it with nginx and writes its URL to STATE_DIR/url;
#       the bank's sample files beside SAMPLE_XML are served in the same folder, by name
#   feed-server.sh stop STATE_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
serve="$here/../../feed/serve.sh"
case "${1:-}" in
    start)
        state=$2
        "$serve" stop "$state/nginx" >/dev/null 2>&1 || true
        rm -rf "$state"
        mkdir -p "$state"
        "$3" -o "$state/list.txt" "$4"
        "$serve" start "$state/nginx" "$state/list.txt" >"$state/url"
        for xml in "$(dirname "$4")"/eurofxref-*.xml; do
            install -m 644 "$xml" "$state/nginx/www/pecunup/"
        done
        echo "serving $(cat "$state/url")"
        ;;
    stop)
        "$serve" stop "$2/nginx"
        ;;
    *)
        echo "usage: feed-server.sh start STATE_DIR PECUN_FEED SAMPLE_XML | stop STATE_DIR" >&2
        exit 2
        ;;
esac
