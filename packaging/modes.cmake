# Run by CPack around packing, so that a package is the same whatever umask
# the build ran under and whenever its sources were checked out: before,
# every staged folder is made 0755 (the install rules set the files' modes)
# and every entry gets the commit's time; after, dpkg-deb packs a .deb
# again, since CPack writes its members with modes the umask shapes. The
# top folder and the unpacked .deb's get that time too: dpkg-deb only
# lowers a later time to SOURCE_DATE_EPOCH, and a commit's time may be
# ahead of the clock.
if(NOT DEFINED CPACK_PACKAGE_FILES)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
  list(APPEND entries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  foreach(entry ${entries})
    if(IS_DIRECTORY "${entry}")
      file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
           GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
  endforeach()
  if(DEFINED ENV{SOURCE_DATE_EPOCH} AND entries)
    execute_process(COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} ${entries}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  return()
endif()
find_program(dpkg_deb dpkg-deb)
if(NOT dpkg_deb)
  return()
endif()
foreach(deb ${CPACK_PACKAGE_FILES})
  if(NOT deb MATCHES "[.]deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${dpkg_deb} -R "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(CHMOD_RECURSE "${tree}/DEBIAN" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
       DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
       WORLD_READ WORLD_EXECUTE)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    file(GLOB_RECURSE entries LIST_DIRECTORIES true "${tree}/*")
    execute_process(COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} "${tree}" ${entries}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(COMMAND ${dpkg_deb} --root-owner-group -Zgzip -b "${tree}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
