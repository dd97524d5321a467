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

# debian_source LIB VAR: the Debian source package that LIB, as the
# compiler links it, comes from: "NAME (= VERSION)"; empty where dpkg does
# not know it.
function(debian_source lib var)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${lib}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(path "${path}" REALPATH)
  execute_process(COMMAND dpkg-query -S "${path}" OUTPUT_VARIABLE owner
                  RESULT_VARIABLE failed ERROR_QUIET)
  set(source)
  if(NOT failed)
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    execute_process(COMMAND dpkg-query -W "-f=\${source:Package} (= \${source:Version})"
                            ${owner}
                    OUTPUT_VARIABLE source)
  endif()
  set(${var} "${source}" PARENT_SCOPE)
endfunction()

# spdx_component ID WHAT VERSION SOURCE LICENCE: adds to spdx_components
# the SPDX package of a library linked in, WHAT at upstream VERSION, named
# by its Debian SOURCE ("NAME (= VERSION)", with a package URL) where there
# is one, as Built-Using names it, else by WHAT's own name and VERSION.
function(spdx_component id what version source licence)
  set(name ${what})
  set(refs)
  if(source MATCHES "^([^ ]+) \\(= (.+)\\)$")
    set(name ${CMAKE_MATCH_1})
    set(summary "${what} ${version}, built from Debian's source package ${CMAKE_MATCH_1}")
    set(version ${CMAKE_MATCH_2})
    # A package URL's version is percent-encoded.
    string(REPLACE "%" "%25" purl_version "${version}")
    string(REPLACE "+" "%2B" purl_version "${purl_version}")
    string(REPLACE ":" "%3A" purl_version "${purl_version}")
    set(refs ",
      \"externalRefs\": [{\"referenceCategory\": \"PACKAGE-MANAGER\", \"referenceType\": \"purl\", \"referenceLocator\": \"pkg:deb/debian/${name}@${purl_version}?arch=source\"}]")
  else()
    set(summary "${what} ${version}")
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
      \"copyrightText\": \"NOASSERTION\"${refs}
    }" PARENT_SCOPE)
  set(spdx_relations "${spdx_relations},
    {\"spdxElementId\": \"SPDXRef-File-rangecat\", \"relationshipType\": \"STATIC_LINK\", \"relatedSpdxElement\": \"SPDXRef-Package-${id}\"}"
      PARENT_SCOPE)
endfunction()

if(NOT linkage STREQUAL dynamic AND libc STREQUAL glibc)
  debian_source(libc.a libc_source)
  debian_source(libgcc.a libgcc_source)
  debian_source(libstdc++.a libstdcxx_source)
  set(built_using ${libc_source} ${libgcc_source} ${libstdcxx_source})
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
  set(libc_licence LGPL-2.1-or-later)
  set(gcc_licence "GPL-3.0-or-later WITH GCC-exception-3.1")
  set(licence "MIT AND ${libc_licence} AND ${gcc_licence}")
  set(bundled "bundled(glibc) = ${glibc_version}, bundled(libgcc) = ${gcc_version}")
  spdx_component(libc "GNU C Library (glibc)" ${glibc_version} "${libc_source}"
                 ${libc_licence})
  spdx_component(gcc-runtime "libgcc and libstdc++, the runtime of GCC" ${gcc_version}
                 "${libgcc_source}" "${gcc_licence}")
  if(built_using)
    set(sources "Debian's source packages\n\n  ${built_using}\n\nwhich the .deb's Built-Using field names too: on Debian, 'apt-get source'\nfetches them, and Debian's snapshot archive keeps every version of them.")
  else()
    set(sources "those of the C library and GCC\nthat the system which built it packages.")
  endif()
  set(third_party_notices ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/third-party-notices.in ${third_party_notices} @ONLY)
endif()
