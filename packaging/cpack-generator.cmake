# Run by CPack before each generator: the packages' times are the commit's,
# and the install rules learn which package they fill.
if(CPACK_RANGECAT_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_RANGECAT_EPOCH})
endif()
set(ENV{RANGECAT_PACKAGE} ${CPACK_GENERATOR})
