# Sourced by test.sh and run.sh: installs the Debian packages the builds and tests need.
# Wine comes as wine64 only: these machines run no 32-bit x86 code, and where wine32 is
# installed /usr/bin/wine takes its loader even for 64-bit programs. Never add wine32 here.
pecun_packages=(
    cmake ninja-build g++ googletest
    g++-mingw-w64-i686 g++-mingw-w64-x86-64   # the 32-bit and 64-bit Windows programs
    g++-multilib qemu-user-static             # the headless suites as a 32-bit program
    wine wine64 xvfb imagemagick xauth python3 openssl
    libexpat1-dev nlohmann-json3-dev iso-codes nginx-light   # the rates feed and its server
    clang libclang-rt-14-dev                  # the fuzz targets (libFuzzer and the sanitizers)
)

pecun_missing_packages() {
    local p missing=()
    for p in "${pecun_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
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
        echo "  apt-get update && apt-get install -y $missing" >&2
        return 1
    fi
    echo "Installing: $missing"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
}

# True when this machine can run 32-bit Windows programs: wine32's loader is installed and
# starts (it cannot where the kernel runs no 32-bit code).
pecun_can_run_win32() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
