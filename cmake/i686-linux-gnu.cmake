# The headless suites as a static 32-bit x86 Linux program, run under user-mode emulation:
# it proves the 32-bit arithmetic on machines that cannot execute 32-bit code themselves.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)

# The same SSE2 arithmetic as the 32-bit Windows build.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")

find_program(PECUN_QEMU_I386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PECUN_QEMU_I386})

# Only the core and the forms on the headless peer, with their unit tests.
set(PECUN_HEADLESS_ONLY ON)
