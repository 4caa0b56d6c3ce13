# Builds for 64-bit Arm Linux on an x86-64 Debian machine (scripts/test-arm64):
# Debian's cross compiler, the arm64 libraries of its multiarch folders, and
# qemu to run what was built (the tests through CTest, the command line from
# the tests).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Libraries and their CMake and pkg-config files come from the arm64 folders
# of Debian's multiarch layout, never from the build machine's own.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# The arm64 C library of Debian's libc6:arm64 is in /lib, where the programs'
# loader looks, so qemu needs no prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-aarch64)
