#!/usr/bin/env bash
# Serves an update list over HTTP on the loopback address with nginx.
#
#   serve.sh start STATE_DIR LIST_FILE
#       Copies LIST_FILE to STATE_DIR/www/pecunup/index.txt, starts nginx in the background
#       on a free 127.0.0.1 port, waits until it answers and prints its URL,
#       http://127.0.0.1:PORT/pecunup/, on standard output. Fails if this STATE_DIR already
#       has a running server.
#   serve.sh stop STATE_DIR
#       Stops the server of STATE_DIR and waits until it is gone; nothing to do if none runs.
#
# Every file nginx writes (pid, logs, temporary files, the generated configuration) stays
# in STATE_DIR. Started as root, the workers run as nobody: the served folder and file are
# made world-readable, and where a folder above STATE_DIR is not open to others the workers
# run as root instead (with a warning). Exit status: 0 on success, 1 on failure, 2 on misuse.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
template="$here/nginx.conf"
deadline_seconds=10

die() {
    echo "serve.sh: $*" >&2
    exit 1
}

usage() {
    echo "usage: serve.sh start STATE_DIR LIST_FILE | serve.sh stop STATE_DIR" >&2
    exit 2
}

find_nginx() {
    local nginx
    nginx=$(command -v nginx || true)
    [[ -n $nginx ]] || nginx=/usr/sbin/nginx
    [[ -x $nginx ]] || die "nginx is not installed (Debian: apt-get install nginx-light)"
    echo "$nginx"
}

# The state folder as an absolute path; nginx reads it inside quoted strings, so it may not
# hold quotes, backslashes, dollar signs or line breaks.
state_path() {
    local dir=$1
    mkdir -p "$dir" || die "cannot create $dir"
    dir=$(cd "$dir" && pwd)
    [[ $dir =~ ^[A-Za-z0-9._/@+,:\ -]+$ ]] || die "unsupported characters in the path $dir"
    echo "$dir"
}

# Whether process $1 runs (a zombie left to a parent that does not reap it does not).
alive() {
    kill -0 "$1" 2>/dev/null || return 1
    local stat
    stat=$(<"/proc/$1/stat") 2>/dev/null || return 1
    stat=${stat##*) }
    [[ ${stat:0:1} != Z ]]
}

# The pid of the running server of STATE_DIR, or nothing.
running_pid() {
    local state=$1 pid
    [[ -f $state/nginx.pid ]] || return 0
    pid=$(<"$state/nginx.pid")
    [[ $pid =~ ^[0-9]+$ ]] || return 0
    # a stale pid file may name some other process by now
    if alive "$pid" && tr "\0" " " 2>/dev/null <"/proc/$pid/cmdline" | grep -q nginx; then
        echo "$pid"
    fi
}

free_port() {
    python3 -c 'import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()'
}

# Waits until 127.0.0.1:PORT accepts a connection, at most deadline_seconds.
wait_for_port() {
    python3 - "$1" "$deadline_seconds" <<'EOF'
import socket, sys, time
port, limit = int(sys.argv[1]), float(sys.argv[2])
end = time.monotonic() + limit
while True:
    try:
        socket.create_connection(("127.0.0.1", port), timeout=1).close()
        sys.exit(0)
    except OSError:
        if time.monotonic() > end:
            sys.exit(1)
        time.sleep(0.05)
EOF
}

# Whether others may pass through every folder from / down to $1.
traversable_by_others() {
    local dir=$1
    while [[ -n $dir && $dir != / ]]; do
        [[ $(( 8#$(stat -c %a "$dir") & 1 )) -eq 1 ]] || return 1
        dir=$(dirname "$dir")
    done
}

# The user directive: none for an ordinary user; as root, nobody where it can read the list.
user_directive() {
    local state=$1
    [[ $(id -u) -eq 0 ]] || return 0
    if ! traversable_by_others "$state"; then
        echo "serve.sh: a folder above $state is closed to others: workers run as root" >&2
        echo "user root;"
    elif getent group nogroup >/dev/null; then
        echo "user nobody nogroup;"
    else
        echo "user nobody;"
    fi
}

# Copies the list into the served folder whole: a new file renamed over the old one.
publish_list() {
    local state=$1 list=$2 folder=$1/www/pecunup
    mkdir -p "$folder" "$state/temp"
    chmod 755 "$state" "$state/www" "$folder"
    cp "$list" "$folder/.index.txt.new"
    chmod 644 "$folder/.index.txt.new"
    mv -f "$folder/.index.txt.new" "$folder/index.txt"
}

write_conf() {
    local state=$1 port=$2 user
    user=$(user_directive "$state")
    sed -e "s|@USER@|$user|" -e "s|@STATE@|$state|g" -e "s|@PORT@|$port|g" "$template" \
        >"$state/nginx.generated.conf"
}

start() {
    local state list=$2 nginx port _
    [[ -f $list && -r $list ]] || die "cannot read the list $list"
    nginx=$(find_nginx)
    state=$(state_path "$1")
    [[ -z $(running_pid "$state") ]] || die "a server of $state is running: stop it first"
    publish_list "$state" "$list"
    # another program may take the free port first: try a few
    for _ in 1 2 3 4 5; do
        port=$(free_port)
        write_conf "$state" "$port"
        if "$nginx" -p "$state" -c "$state/nginx.generated.conf" -e "$state/error.log" \
            2>"$state/start.log"; then
            wait_for_port "$port" || die "nginx does not answer on port $port (see $state/error.log)"
            echo "$port" >"$state/port"
            echo "http://127.0.0.1:$port/pecunup/"
            return 0
        fi
        grep -q "Address already in use" "$state/start.log" || break
    done
    die "nginx did not start (see $state/start.log and $state/error.log)"
}

stop() {
    local state pid end
    [[ -d $1 ]] || return 0
    state=$(cd "$1" && pwd)
    pid=$(running_pid "$state")
    [[ -n $pid ]] || return 0
    kill -QUIT "$pid" || die "cannot signal nginx (pid $pid)"
    end=$((SECONDS + deadline_seconds))
    while alive "$pid"; do
        ((SECONDS <= end)) || die "nginx (pid $pid) did not stop within $deadline_seconds s"
        sleep 0.05
    done
    rm -f "$state/port"
}

case ${1:-} in
start) [[ $# -eq 3 ]] || usage; start "$2" "$3" ;;
stop) [[ $# -eq 2 ]] || usage; stop "$2" ;;
*) usage ;;
esac
