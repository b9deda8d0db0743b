# Run by CPack in the staging folder before the Debian package is made: Debian policy wants
# manual pages compressed with gzip -9, without a time stamp.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*.[1-9]")
foreach(page ${pages})
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${page}")
  endif()
endforeach()
if(NOT pages)
  message(FATAL_ERROR "no manual pages found below ${CPACK_TEMPORARY_DIRECTORY}")
endif()
