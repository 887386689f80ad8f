# Run by CPack after it has staged the files of a package: gives every staged file and folder
# the time SOURCE_DATE_EPOCH (the last commit's), so that a package does not change with the
# time it was made.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(APPEND staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
execute_process(COMMAND date -u -d "@$ENV{SOURCE_DATE_EPOCH}" +%Y%m%d%H%M.%S
                OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(path IN LISTS staged)
  execute_process(COMMAND touch -h -t ${stamp} ${path})
endforeach()
