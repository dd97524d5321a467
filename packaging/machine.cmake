# What the binary is, for the packages and the release: the commit it is
# of, the machine it is for, in each system's words, and the ELF note that
# names its package.

# The packages' files and the bill of materials carry the commit's time:
# SOURCE_DATE_EPOCH when it is set, else the time the source tarball
# recorded, else git's.
set(epoch $ENV{SOURCE_DATE_EPOCH})
set(epoch_file ${PROJECT_SOURCE_DIR}/packaging/source-date-epoch)
if(NOT epoch AND EXISTS ${epoch_file})
  file(STRINGS ${epoch_file} epoch LIMIT_COUNT 1)
endif()
# git may read this checkout though another user owns it (as root in a
# container, over a mounted tree): building it runs its code all the same.
if(NOT epoch)
  execute_process(COMMAND git -c safe.directory=${PROJECT_SOURCE_DIR} log -1 --format=%ct
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
endif()
if(NOT epoch)
  message(STATUS "No commit time (not a git checkout, no packaging/source-date-epoch): "
                 "set SOURCE_DATE_EPOCH for reproducible packages")
endif()
set(CPACK_RANGECAT_EPOCH "${epoch}")

# The machine the binary is for, in each system's words: Debian's
# architecture, and the name uname -m and RPM give it.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
                OUTPUT_VARIABLE triplet OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND dpkg-architecture -t${triplet} -qDEB_HOST_ARCH
                OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
# mips64el keeps its triplet's name: uname -m says mips64 of either byte
# order, and the binary runs on the little-endian one only.
string(REGEX REPLACE "-.*" "" machine "${triplet}")
set(CPACK_RPM_PACKAGE_ARCHITECTURE ${machine})
if(triplet MATCHES "^arm.*hf$")
  set(machine armv7l)           # Debian's armhf: ARMv7, hard float
  set(CPACK_RPM_PACKAGE_ARCHITECTURE armv7hl)
elseif(triplet MATCHES "^arm")
  set(machine armv5tel)         # Debian's armel: ARMv5TE, soft float
  set(CPACK_RPM_PACKAGE_ARCHITECTURE armv5tel)
elseif(machine STREQUAL powerpc64le)
  set(machine ppc64le)
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ppc64le)
endif()
set(CPACK_RANGECAT_MACHINE ${machine})

# The binary names its package, version and machine in an ELF note
# (.note.package), which systemd-coredump and `systemd-analyze inspect-elf`
# read, so that a crash or a scan of any copy of it, from the archive too,
# leads back to the release. A packager whose flags give a note of their
# own (Fedora's) keeps theirs; a linker without --package-metadata
# (binutils before 2.39) gives none.
set(package_note)
if(NOT CMAKE_EXE_LINKER_FLAGS MATCHES "package[-_]?(metadata|note)")
  # -Xlinker, since -Wl, would split the note at its commas.
  set(note_option -Xlinker
      "--package-metadata={\"name\":\"rangecat\",\"version\":\"${package_version}\",\"architecture\":\"${machine}\"}")
  set(CMAKE_REQUIRED_LINK_OPTIONS -Werror ${note_option})
  check_cxx_source_compiles("int main() { return 0; }" RANGECAT_LINK_TAKES_PACKAGE_NOTE)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(RANGECAT_LINK_TAKES_PACKAGE_NOTE)
    target_link_options(rangecat PRIVATE ${note_option})
    set(package_note ON)
  endif()
endif()
