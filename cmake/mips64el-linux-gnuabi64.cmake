# Cross build for mips64el-linux-gnuabi64, little-endian 64-bit MIPS, with
# Debian's mips64el-linux-gnuabi64-g++:
#   cmake --toolchain cmake/mips64el-linux-gnuabi64.cmake -B build-mips64el-linux-gnuabi64
set(cross_triplet mips64el-linux-gnuabi64)
set(CMAKE_SYSTEM_PROCESSOR mips64)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mips64el-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
