# Cross build for powerpc64-linux-gnu, big-endian 64-bit POWER (Debian's
# ppc64 port), with Debian's powerpc64-linux-gnu-g++; the tool is built and
# tested there, and no release is made for it:
#   cmake --toolchain cmake/powerpc64-linux-gnu.cmake -B build-powerpc64-linux-gnu
set(cross_triplet powerpc64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR ppc64)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
