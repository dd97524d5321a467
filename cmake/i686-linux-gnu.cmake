# Cross build for i686-linux-gnu with Debian's i686-linux-gnu-g++:
#   cmake --toolchain cmake/i686-linux-gnu.cmake -B build-i686-linux-gnu
set(cross_triplet i686-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR i686)
# For the unit tests, on kernels that run no 32-bit x86 programs.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
