# What `cmake --install` puts where, and the compressed docs it installs.
# A package's layout follows its format: CPack names the format in
# RANGECAT_PACKAGE (see cpack-generator.cmake), and archive.sh says
# archive; a plain install has none.
include(GNUInstallDirs)
# Folders are made 0755 whatever the umask: the install is for every user.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
# Everything is in one component, which CPack installs by name: its install
# writes install_manifest_rangecat.txt, and install_manifest.txt stays the
# list of the user's own install.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME rangecat)
# completions_dir VAR PACKAGE FOLDER: the folder where PACKAGE's shell
# looks for the completions of other packages, as its pkg-config file says,
# taken relative to its prefix so that the install prefix still applies;
# FOLDER under the data folder where it has none.
find_package(PkgConfig QUIET)
function(completions_dir var package folder)
  set(dir ${CMAKE_INSTALL_DATADIR}/${folder})
  if(PKG_CONFIG_FOUND)
    pkg_get_variable(pc_dir ${package} completionsdir)
    pkg_get_variable(pc_prefix ${package} prefix)
    if(pc_dir AND pc_prefix)
      file(RELATIVE_PATH dir ${pc_prefix} ${pc_dir})
    endif()
  endif()
  set(${var} ${dir} PARENT_SCOPE)
endfunction()
completions_dir(bash_completion_dir bash-completion bash-completion/completions)
completions_dir(fish_completion_dir fish fish/vendor_completions.d)

# The man page and the changelog as installed: the page sends bug reports
# to the home page where one is set, and the changelog carries the
# package's version and maintainer. Each is written only when it changes.
function(write_built name text)
  set(path ${PROJECT_BINARY_DIR}/${name})
  set(old)
  if(EXISTS ${path})
    file(READ ${path} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${path} "${text}")
  endif()
endfunction()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             man/rangecat.1 packaging/changelog)
file(READ man/rangecat.1 page)
if(RANGECAT_HOMEPAGE)
  string(REGEX REPLACE "\nReport bugs to the maintainer[^\n]*\n.Po\n.*\n.Pc ,\n"
         "\nReport bugs at\n.Lk ${RANGECAT_HOMEPAGE} ,\n" homepage_page "${page}")
  if(homepage_page STREQUAL page)
    message(FATAL_ERROR "man/rangecat.1 has no BUGS sentence to name ${RANGECAT_HOMEPAGE} in")
  endif()
  set(page "${homepage_page}")
endif()
write_built(rangecat.1 "${page}")
file(READ packaging/changelog changelog)
string(REPLACE "rangecat (${PROJECT_VERSION})" "rangecat (${package_version})"
       changelog "${changelog}")
string(REPLACE " -- ${maintainer_placeholder}  " " -- ${RANGECAT_MAINTAINER}  "
       changelog "${changelog}")
write_built(changelog "${changelog}")

# Debian ships man pages and changelogs compressed, without a timestamp.
set(compressed)
foreach(name rangecat.1 changelog)
  set(gz ${PROJECT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${gz}
                     COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/${name} > ${gz}
                     DEPENDS ${PROJECT_BINARY_DIR}/${name} VERBATIM)
  list(APPEND compressed ${gz})
endforeach()
add_custom_target(compressed ALL DEPENDS ${compressed})

# The install's own code names each path as a bracket argument, which
# holds any folder a user has, spaces, quotes and all, to the letter.

install(TARGETS rangecat RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install drops the compiler's notes too.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND [==[${CMAKE_OBJCOPY}]==] --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/rangecat\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${PROJECT_BINARY_DIR}/rangecat.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES completions/rangecat.bash DESTINATION ${bash_completion_dir}
        RENAME rangecat)
install(FILES completions/rangecat.fish DESTINATION ${fish_completion_dir})
# The files that only the project's own packages and archives carry: the
# Debian changelog, Debian's copyright file, lintian's override and the
# bill of materials (below), whose checksum a packager's strip would break. They go in only while CPack packs
# (RANGECAT_PACKAGE names its generator: cpack-generator.cmake) or
# archive.sh stages an archive (RANGECAT_PACKAGE=archive). A plain
# `cmake --install`, as a distribution's build runs it, installs no doc
# at all: a distribution ships its own copyright file, and lintian tags a
# second licence file.
# lintian's verdict on the binary depends on how it is linked; a dynamic
# one needs no override, and an unused override is a lintian tag.
set(install_overrides "")
if(NOT linkage STREQUAL dynamic)
  set(overrides lintian-overrides)
  if(linkage STREQUAL static)
    set(overrides lintian-overrides-static)
  endif()
  set(install_overrides "
    file(INSTALL [==[${PROJECT_SOURCE_DIR}/packaging/${overrides}]==]
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/lintian/overrides\"
         RENAME rangecat FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")
endif()
# Where each system looks. Debian's copyright file goes with the docs; an
# .rpm has the licence and the third-party notices in
# /usr/share/licenses instead, since Fedora has no common-licenses to point
# at. zsh takes local functions from share/zsh/site-functions, and so do
# Fedora's packages; Debian's take /usr/share/zsh/vendor-completions.
# Debian's copyright file: its paragraphs on what a static binary carries
# only where the binary carries it (third-party.cmake).
set(deb_copyright ${PROJECT_SOURCE_DIR}/packaging/copyright)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${deb_copyright})
if(NOT third_party_notices)
  file(READ ${deb_copyright} copyright)
  string(FIND "${copyright}" "\nFiles: usr/bin/rangecat\n" at)
  string(SUBSTRING "${copyright}" 0 ${at} copyright)
  set(deb_copyright ${PROJECT_BINARY_DIR}/copyright)
  write_built(copyright "${copyright}\n")
endif()
set(rpm_licences "[==[${PROJECT_SOURCE_DIR}/LICENSE]==]")
if(third_party_notices)
  string(APPEND rpm_licences " [==[${third_party_notices}]==]")
endif()
install(CODE "
  set(package \"\$ENV{RANGECAT_PACKAGE}\")
  set(packed OFF)
  if(NOT package STREQUAL \"\")
    set(packed ON)
  endif()
  set(licence_dir ${CMAKE_INSTALL_DOCDIR})
  set(licences)
  set(zsh_dir site-functions)
  if(package STREQUAL RPM)
    set(licence_dir ${CMAKE_INSTALL_DATADIR}/licenses/rangecat)
    set(licences ${rpm_licences})
  elseif(CMAKE_INSTALL_PREFIX STREQUAL /usr)
    set(zsh_dir vendor-completions)
  endif()
  if(packed AND NOT package STREQUAL RPM)
    set(licences [==[${deb_copyright}]==])
  endif()
  if(package STREQUAL DEB)${install_overrides}
  endif()
  if(packed)
    file(INSTALL [==[${PROJECT_BINARY_DIR}/changelog.gz]==]
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}\"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  if(licences)
    file(INSTALL \${licences}
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${licence_dir}\"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  file(INSTALL [==[${PROJECT_SOURCE_DIR}/completions/_rangecat]==]
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/zsh/\${zsh_dir}\"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")

# The bill of materials, an SPDX document beside the changelog: rangecat,
# what a static binary holds of other projects (third-party.cmake), and
# the installed binary's checksums, taken once it is stripped.
# json_text VAR TEXT: TEXT as the inside of a JSON string.
function(json_text var text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()
string(REGEX REPLACE " *<(.*)>$" " (\\1)" supplier "${RANGECAT_MAINTAINER}")
json_text(spdx_supplier "${supplier}")
set(spdx_download NOASSERTION)
if(RANGECAT_HOMEPAGE)
  json_text(spdx_download "${RANGECAT_HOMEPAGE}")
endif()
file(STRINGS LICENSE spdx_copyright REGEX "^Copyright" LIMIT_COUNT 1)
json_text(spdx_copyright "${spdx_copyright}")
# The commit's time, where there is one: string(TIMESTAMP) reads it from
# SOURCE_DATE_EPOCH.
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch)
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
string(TIMESTAMP spdx_created "%Y-%m-%dT%H:%M:%SZ" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
if(NOT saved_epoch)
  unset(ENV{SOURCE_DATE_EPOCH})
endif()
# The checksums are the install's to fill in; only a package's or an
# archive's install writes it (above).
set(sha1 %SHA1%)
set(sha256 %SHA256%)
configure_file(packaging/rangecat.spdx.json.in rangecat.spdx.json.in @ONLY)
install(CODE "
  if(NOT \"\$ENV{RANGECAT_PACKAGE}\" STREQUAL \"\")
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/rangecat\")
    file(SHA1 \"\${bin}\" sha1)
    file(SHA256 \"\${bin}\" sha256)
    file(READ [==[${PROJECT_BINARY_DIR}/rangecat.spdx.json.in]==] spdx)
    string(REPLACE %SHA1% \${sha1} spdx \"\${spdx}\")
    string(REPLACE %SHA256% \${sha256} spdx \"\${spdx}\")
    file(WRITE [==[${PROJECT_BINARY_DIR}/rangecat.spdx.json]==] \"\${spdx}\")
    file(INSTALL [==[${PROJECT_BINARY_DIR}/rangecat.spdx.json]==]
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}\"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()")

# The last install rule: the manifest lists the files where they were put,
# under DESTDIR when the install is staged, so that removing what it lists
# removes that install and nothing else.
install(CODE [[
  if(DEFINED ENV{DESTDIR})
    list(TRANSFORM CMAKE_INSTALL_MANIFEST_FILES PREPEND "$ENV{DESTDIR}")
  endif()]])
