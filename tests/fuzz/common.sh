# What smoke.sh and campaign.sh share: the build of the targets and the options they run with.
# Sourced; expects $root and $build.

# Inputs that run faster are mutated more (a store that declares 32,767 entries takes a
# thousand times as long as a small one), and the per-input leak check is off: the targets
# keep the program's state between inputs, so an input that grows it would be run twice.
# LeakSanitizer still checks at exit.
fuzz_options=(-entropic_scale_per_exec_time=1 -detect_leaks=0)

fuzz_build() {
    cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
        cmake --build "$build" -j "${PECUN_FUZZ_BUILD_JOBS:-$(nproc)}" >/dev/null
}
