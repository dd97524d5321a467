# Cross build for aarch64-linux-gnu with Debian's aarch64-linux-gnu-g++:
#   cmake --toolchain cmake/aarch64-linux-gnu.cmake -B build-aarch64-linux-gnu
set(cross_triplet aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
