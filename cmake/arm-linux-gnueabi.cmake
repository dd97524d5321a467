# Cross build for arm-linux-gnueabi, Debian's armel (ARMv5TE and later, soft
# float, as on the Raspberry Pi 1 and Zero), with arm-linux-gnueabi-g++:
#   cmake --toolchain cmake/arm-linux-gnueabi.cmake -B build-arm-linux-gnueabi
set(cross_triplet arm-linux-gnueabi)
set(CMAKE_SYSTEM_PROCESSOR armv5tel)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
