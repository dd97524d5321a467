# Cross build for arm-linux-gnueabihf with Debian's arm-linux-gnueabihf-g++:
#   cmake --toolchain cmake/arm-linux-gnueabihf.cmake -B build-arm-linux-gnueabihf
set(cross_triplet arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
