# Sourced by test.sh and run.sh: installs the Debian packages the builds and tests need.
pecun_packages=(cmake ninja-build g++ googletest g++-mingw-w64-i686 wine wine32 xvfb imagemagick
                xauth python3)

pecun_missing_packages() {
    local p missing=()
    for p in "${pecun_packages[@]}"; do
        if [ "$p" = wine32 ]; then p=wine32:i386; fi
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("${p%%:*}")
    done
    echo "${missing[@]}"
}

pecun_ensure_deps() {
    local missing
    missing=$(pecun_missing_packages)
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "Missing packages: $missing" >&2
        echo "Install them as root with:" >&2
        echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y $missing" >&2
        return 1
    fi
    echo "Installing: $missing"
    dpkg --add-architecture i386
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
}
