# What a static binary carries besides rangecat's own code: parts of the C
# library (glibc: a release is built with no other) and of GCC's runtime.
# built_using names their Debian source packages at the versions built with
# (empty where dpkg does not know them, and for a dynamic binary);
# THIRD-PARTY-NOTICES, beside the licence in the archive and the .rpm,
# names their licences and sources; bundled, the .rpm's Provides, names
# their versions; and spdx_components, the bill of materials' packages
# (install.cmake), says all of it again for machines to read.
set(built_using)
set(third_party_notices)
# The licences of all that the binary holds, in SPDX's words.
set(licence MIT)
set(bundled)
set(spdx_components)
set(spdx_relations)

# debian_sources(LIB...): for each LIB, as the compiler links it, sets
# source_LIB to the Debian source package it comes from, "NAME (= VERSION)",
# and package_LIB to the binary package that holds it, "NAME VERSION"; each
# empty where dpkg does not know it. One dpkg-query -S reads dpkg's file
# lists for all of them, since each such reading takes a fifth of a second.
function(debian_sources)
  set(paths)
  foreach(lib IN LISTS ARGN)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${lib}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(path_${lib} "${path}" REALPATH)
    list(APPEND paths "${path_${lib}}")
  endforeach()
  # "PACKAGE[:ARCH][, PACKAGE...]: PATH" a line, for the paths dpkg knows.
  execute_process(COMMAND dpkg-query -S ${paths} OUTPUT_VARIABLE owners ERROR_QUIET)
  string(REPLACE "\n" ";" owners "${owners}")
  foreach(lib IN LISTS ARGN)
    set(source)
    set(package)
    foreach(line IN LISTS owners)
      string(FIND "${line}" ": " at REVERSE)
      if(at LESS 1)
        continue()
      endif()
      math(EXPR after "${at} + 2")
      string(SUBSTRING "${line}" ${after} -1 path)
      if(path STREQUAL path_${lib})
        string(REGEX REPLACE ":.*" "" owner "${line}")
        execute_process(COMMAND dpkg-query -W
                                "-f=\${source:Package} (= \${source:Version})\n\${Package} \${Version}"
                                ${owner}
                        OUTPUT_VARIABLE found)
        string(REGEX REPLACE "\n.*" "" source "${found}")
        string(REGEX REPLACE ".*\n" "" package "${found}")
      endif()
    endforeach()
    set(source_${lib} "${source}" PARENT_SCOPE)
    set(package_${lib} "${package}" PARENT_SCOPE)
  endforeach()
endfunction()

# The machine's Debian release, which a package URL names as its distro.
set(distro)
if(EXISTS /etc/os-release)
  file(STRINGS /etc/os-release os REGEX "^(ID|VERSION_ID)=")
  if(os MATCHES "ID=debian" AND os MATCHES "VERSION_ID=\"?([0-9]+)")
    set(distro "&distro=debian-${CMAKE_MATCH_1}")
  endif()
endif()

# spdx_component(ID NAME VERSION PRODUCT DEBIAN_NAME SOURCE PACKAGE LICENCE
# SUMMARY): adds to spdx_components the SPDX package of a library linked
# in: NAME at upstream VERSION, with the CPE of GNU's PRODUCT at that
# version and, where dpkg knows the library (PACKAGE "NAME VERSION", from
# SOURCE "NAME (= VERSION)"), the package URL of DEBIAN_NAME, the Debian
# source package that advisories are filed against, at its version. A
# cross toolchain's package, such as libc6-dev-arm64-cross 2.36-8cross1
# from cross-toolchain-base, carries that version with a crossN suffix;
# its own names go in the comment, as Built-Using names its source.
function(spdx_component id name version product debian_name source package licence summary)
  set(refs)
  set(comment)
  if(source MATCHES "^([^ ]+) \\(= (.+)\\)$")
    set(source_name ${CMAKE_MATCH_1})
    set(source_version ${CMAKE_MATCH_2})
    string(REGEX MATCH "^([^ ]+) (.+)$" _ "${package}")
    set(package_name ${CMAKE_MATCH_1})
    set(package_version ${CMAKE_MATCH_2})
    set(debian_version ${source_version})
    if(package_version MATCHES "^(.+)cross[0-9]+$")
      set(debian_version ${CMAKE_MATCH_1})
    endif()
    # A package URL's version is percent-encoded.
    string(REPLACE "%" "%25" purl_version "${debian_version}")
    string(REPLACE "+" "%2B" purl_version "${purl_version}")
    string(REPLACE ":" "%3A" purl_version "${purl_version}")
    set(refs ",
        {\"referenceCategory\": \"PACKAGE-MANAGER\", \"referenceType\": \"purl\", \"referenceLocator\": \"pkg:deb/debian/${debian_name}@${purl_version}?arch=source${distro}\"}")
    set(comment "Linked in from Debian's ${package_name} ${package_version}, of the source package ${source_name} ${source_version}")
    if(NOT source_name STREQUAL debian_name)
      string(APPEND comment ", which builds it from ${debian_name} ${debian_version}")
    endif()
    set(comment ",
      \"comment\": \"${comment}\"")
  endif()
  set(spdx_components "${spdx_components},
    {
      \"name\": \"${name}\",
      \"SPDXID\": \"SPDXRef-Package-${id}\",
      \"versionInfo\": \"${version}\",
      \"summary\": \"${summary}, linked into the binary statically\",
      \"downloadLocation\": \"NOASSERTION\",
      \"filesAnalyzed\": false,
      \"licenseConcluded\": \"${licence}\",
      \"licenseDeclared\": \"${licence}\",
      \"copyrightText\": \"NOASSERTION\"${comment},
      \"externalRefs\": [
        {\"referenceCategory\": \"SECURITY\", \"referenceType\": \"cpe23Type\", \"referenceLocator\": \"cpe:2.3:a:gnu:${product}:${version}:*:*:*:*:*:*:*\"}${refs}
      ]
    }" PARENT_SCOPE)
  set(spdx_relations "${spdx_relations},
    {\"spdxElementId\": \"SPDXRef-File-rangecat\", \"relationshipType\": \"STATIC_LINK\", \"relatedSpdxElement\": \"SPDXRef-Package-${id}\"}"
      PARENT_SCOPE)
endfunction()

if(NOT linkage STREQUAL dynamic AND libc STREQUAL glibc)
  debian_sources(libc.a libgcc.a libstdc++.a)
  set(built_using ${source_libc.a} ${source_libgcc.a} ${source_libstdc++.a})
  list(REMOVE_DUPLICATES built_using)
  list(JOIN built_using ", " built_using)
  message(STATUS "Built-Using: ${built_using}")

  # The C library's version, as its headers give it to the compiler.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -E -dM -include features.h -x c++ /dev/null
                  OUTPUT_VARIABLE macros)
  string(REGEX MATCH "__GLIBC__ ([0-9]+)" _ "${macros}")
  set(glibc_version ${CMAKE_MATCH_1})
  string(REGEX MATCH "__GLIBC_MINOR__ ([0-9]+)" _ "${macros}")
  string(APPEND glibc_version .${CMAKE_MATCH_1})
  # GCC's runtime comes from the GCC installation the compiler links with:
  # GCC itself, or the one clang chose, whose folder is named by its
  # version.
  set(gcc_version ${CMAKE_CXX_COMPILER_VERSION})
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL GNU)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                    OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(gcc_version "${libgcc}" DIRECTORY)
    get_filename_component(gcc_version "${gcc_version}" NAME)
  endif()
  # Where dpkg knows them, the upstream versions are Debian's, without
  # epoch, revision or cross suffix: exact where a folder name gives only
  # the major (clang's GCC).
  foreach(lib libc libgcc)
    if(package_${lib}.a MATCHES "^[^ ]+ ([0-9]+:)?([^-]+)-")
      set(${lib}_upstream ${CMAKE_MATCH_2})
    endif()
  endforeach()
  if(libc_upstream)
    set(glibc_version ${libc_upstream})
  endif()
  if(libgcc_upstream)
    set(gcc_version ${libgcc_upstream})
  endif()
  set(libc_licence LGPL-2.1-or-later)
  set(gcc_licence "GPL-3.0-or-later WITH GCC-exception-3.1")
  set(licence "MIT AND ${libc_licence} AND ${gcc_licence}")
  set(bundled "bundled(glibc) = ${glibc_version}, bundled(libgcc) = ${gcc_version}")
  string(REGEX MATCH "^[0-9]+" gcc_major "${gcc_version}")
  spdx_component(libc glibc ${glibc_version} glibc glibc "${source_libc.a}" "${package_libc.a}"
                 ${libc_licence} "The GNU C Library")
  spdx_component(gcc-runtime gcc ${gcc_version} gcc gcc-${gcc_major} "${source_libgcc.a}"
                 "${package_libgcc.a}" "${gcc_licence}" "libgcc and libstdc++, the runtime of GCC")
  if(built_using)
    set(sources "Debian's source packages\n\n  ${built_using}\n\nwhich the .deb's Built-Using field names too: on Debian, 'apt-get source'\nfetches them, and Debian's snapshot archive keeps every version of them.")
  else()
    set(sources "those of the C library and GCC\nthat the system which built it packages.")
  endif()
  set(third_party_notices ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/third-party-notices.in ${third_party_notices} @ONLY)
endif()
