# Cross build for powerpc64le-linux-gnu with Debian's powerpc64le-linux-gnu-g++:
#   cmake --toolchain cmake/powerpc64le-linux-gnu.cmake -B build-powerpc64le-linux-gnu
set(cross_triplet powerpc64le-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc64le-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
