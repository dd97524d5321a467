# Cross build for riscv64-linux-gnu with Debian's riscv64-linux-gnu-g++:
#   cmake --toolchain cmake/riscv64-linux-gnu.cmake -B build-riscv64-linux-gnu
set(cross_triplet riscv64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-riscv64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
