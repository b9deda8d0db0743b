# Writes the AppStream metainfo from its template:
#   cmake -DTEMPLATE=IN -DOUTPUT=OUT -DVERSION=V -DRELEASE_DATE=YYYY-MM-DD
#         [-DSCREENSHOT_BASE_URL=URL] -P make_metainfo.cmake
# The screenshots are named by their path below SCREENSHOT_BASE_URL, the web address of the
# published resources/screenshots folder. AppStream accepts web addresses only, so without
# one they are left out.
foreach(required TEMPLATE OUTPUT VERSION RELEASE_DATE)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "make_metainfo.cmake needs -D${required}=...")
  endif()
endforeach()
file(READ "${TEMPLATE}" text)
if("${SCREENSHOT_BASE_URL}" STREQUAL "")
  string(REGEX REPLACE "[ ]*<screenshots>.*</screenshots>\n" "" text "${text}")
else()
  string(REGEX REPLACE "/+$" "" SCREENSHOT_BASE_URL "${SCREENSHOT_BASE_URL}")
endif()
string(CONFIGURE "${text}" text @ONLY)
file(WRITE "${OUTPUT}" "${text}")
