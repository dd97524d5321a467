# What a static binary carries besides rangecat's own code: parts of the C
# library (glibc: a release is built with no other) and of GCC's runtime. built_using names their Debian source
# packages at the versions built with (empty where dpkg does not know
# them, and for a dynamic binary), and THIRD-PARTY-NOTICES, beside the
# licence in the archive and the .rpm, names their licences and sources.
set(built_using)
set(third_party_notices)
if(NOT linkage STREQUAL dynamic AND libc STREQUAL glibc)
  foreach(lib libc.a libgcc.a libstdc++.a)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${lib}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(path "${path}" REALPATH)
    execute_process(COMMAND dpkg-query -S "${path}" OUTPUT_VARIABLE owner
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed)
      string(REGEX REPLACE ":.*" "" owner "${owner}")
      execute_process(COMMAND dpkg-query -W "-f=\${source:Package} (= \${source:Version})"
                              ${owner}
                      OUTPUT_VARIABLE source)
      list(APPEND built_using "${source}")
    endif()
  endforeach()
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
  if(built_using)
    set(sources "Debian's source packages\n\n  ${built_using}\n\nwhich the .deb's Built-Using field names too: on Debian, 'apt-get source'\nfetches them, and Debian's snapshot archive keeps every version of them.")
  else()
    set(sources "those of the C library and GCC\nthat the system which built it packages.")
  endif()
  set(third_party_notices ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/third-party-notices.in ${third_party_notices} @ONLY)
endif()
