# Cross build for s390x-linux-gnu with Debian's s390x-linux-gnu-g++ (big-endian):
#   cmake --toolchain cmake/s390x-linux-gnu.cmake -B build-s390x-linux-gnu
set(cross_triplet s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
