# Build against musl, the C library of Alpine, with Debian's musl-tools and
# musl-dev: musl-gcc compiles the tool, which includes only C headers, and
# links it with musl alone; there is no C++ library, so no unit tests.
#   cmake --toolchain cmake/x86_64-linux-musl.cmake -B build-musl
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CXX_COMPILER musl-gcc)
set(CMAKE_CXX_FLAGS_INIT -nostdinc++)
# A dynamic binary needs musl's loader, which only musl's own package
# installs: it links statically unless RANGECAT_STATIC says otherwise.
set(rangecat_static_default AUTO)
