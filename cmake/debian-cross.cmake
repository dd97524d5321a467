# What the toolchain files beside this one share: Debian's cross compiler
# for cross_triplet, and the target's libraries and headers under
# /usr/TRIPLET, while programs are the build machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${cross_triplet}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${cross_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The binary runs here, under qemu-user, only where it needs no library of
# its machine: it links statically unless RANGECAT_STATIC says otherwise.
set(rangecat_static_default AUTO)
