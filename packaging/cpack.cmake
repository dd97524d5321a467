# The packages CPack makes of the install: a .deb (the default) and an .rpm
# (cpack -G RPM), the same files in the same places but where the two
# systems differ (install.cmake), made byte for byte the same by two
# builds of one commit.

# Sets SOURCE_DATE_EPOCH and RANGECAT_PACKAGE for each generator's run.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-generator.cmake)

# The commit's time and the machine, in each system's words, are
# machine.cmake's.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rangecat)
set(CPACK_PACKAGE_VERSION ${package_version})
set(CPACK_PACKAGE_CONTACT "${RANGECAT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "rangecat writes the bytes of a file from a start offset up to an end
offset, unchanged, to standard output, with an exit status that tells
whether the file could be found, opened and read, and the output written.")
# The vendor is who publishes the packages: the maintainer's name.
string(REGEX REPLACE " *<.*" "" CPACK_PACKAGE_VENDOR "${RANGECAT_MAINTAINER}")
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# CPack stages and packs with modes the umask shapes: modes.cmake mends them.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/modes.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/modes.cmake)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};rangecat;rangecat;/")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RANGECAT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${RANGECAT_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A static binary needs no shared library: dpkg-shlibdeps would find none,
# after CPack had run file on every file of the package to look for them.
if(linkage STREQUAL dynamic)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A static binary carries the C library and GCC's runtime: Debian asks the
# package to name their sources, at the versions it was built with
# (third-party.cmake).
if(built_using)
  # CPack has no variable for this field; it writes each value after its
  # field's name, so the field goes in on a line of its own after Section.
  string(APPEND CPACK_DEBIAN_PACKAGE_SECTION "\nBuilt-Using: ${built_using}")
endif()

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
# rpm reads % as a macro: an address's %XX escapes are written %%XX.
string(REPLACE "%" "%%" CPACK_RPM_PACKAGE_URL "${RANGECAT_HOMEPAGE}")
# The licence tag names what the binary carries, and the licence files are
# marked as such. A static binary needs nothing from the system: the
# libraries rpm would find it needing are inside it, so it requires no
# more than rpm's own features, and it provides what it bundles, as Fedora
# asks, so that a search for a library's copies finds it.
set(CPACK_RPM_PACKAGE_LICENSE "${licence}")
set(licence_files /usr/share/licenses/rangecat/LICENSE)
if(third_party_notices)
  set(CPACK_RPM_PACKAGE_PROVIDES "${bundled}")
  list(APPEND licence_files /usr/share/licenses/rangecat/THIRD-PARTY-NOTICES)
  set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
endif()
list(TRANSFORM licence_files PREPEND "%license " OUTPUT_VARIABLE CPACK_RPM_USER_FILELIST)
# RPM's summary is a title; Debian's is lower case.
set(CPACK_RPM_PACKAGE_SUMMARY "Write one byte range of a file to standard output")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# RPM's changelog: one entry, of the Debian changelog's last release.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog signature REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE ".*  ([A-Za-z]+), ([0-9]+) ([A-Za-z]+) ([0-9]+) .*" "\\1 \\3 \\2 \\4"
       released "${signature}")
file(WRITE ${PROJECT_BINARY_DIR}/rpm-changelog
     "* ${released} ${RANGECAT_MAINTAINER} - ${package_version}-1\n"
     "- See /usr/share/doc/rangecat/changelog.gz\n")
set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
# The folders other packages own are not this package's.
list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
     /usr/share/man /usr/share/man/man1 /usr/share/licenses
     /usr/share/bash-completion /usr/share/bash-completion/completions
     /usr/share/zsh /usr/share/zsh/site-functions
     /usr/share/fish /usr/share/fish/vendor_completions.d)
# rpmbuild strips with the build's own strip, which reads a cross build's
# binary; the package's times, build host and links are the same in every
# build. Its strip writes the binary anew after modes.cmake gave every file
# the commit's time, so the times are clamped here too. Its pass that drops
# .comment and .note does not run: it writes the binary anew at the
# clock's time, which clamping only lowers, where a commit's time may be
# ahead of the clock, and it has nothing to drop (the install drops
# .comment, and the only note, .note.package, is loaded).
set(CPACK_RPM_SPEC_MORE_DEFINE
    "%define packager ${RANGECAT_MAINTAINER}
%define __strip ${CMAKE_STRIP}
%define __brp_strip_comment_note %{nil}
%define __objdump ${CMAKE_OBJDUMP}
%define _build_id_links none
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
include(CPack)
