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

# The machine the binary is for, in each system's words: a release
# machine's as packaging/machines names them, found by its compiler's
# triplet (clang's names a vendor, x86_64-pc-linux-gnu, which is dropped);
# another's (powerpc64, musl) by the triplet's processor and
# dpkg-architecture.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
                OUTPUT_VARIABLE triplet OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REGEX REPLACE "^([^-]+)-(pc|unknown)-" "\\1-" triplet "${triplet}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/machines)
file(STRINGS packaging/machines machines REGEX "^[^#]")
set(row)
foreach(line IN LISTS machines)
  string(REGEX REPLACE " +" ";" fields "${line}")
  list(GET fields 0 name)
  if(name STREQUAL triplet)
    set(row ${fields})
  endif()
endforeach()
if(row)
  list(GET row 2 CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  list(GET row 4 machine)
  list(GET row 5 CPACK_RPM_PACKAGE_ARCHITECTURE)
else()
  execute_process(COMMAND dpkg-architecture -t${triplet} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REGEX REPLACE "-.*" "" machine "${triplet}")
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${machine})
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
