# Cross build for i686-linux-gnu with Debian's i686-linux-gnu-g++:
#   cmake --toolchain cmake/i686-linux-gnu.cmake -B build-i686-linux-gnu
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# For the unit tests, on kernels that run no 32-bit x86 programs.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)
