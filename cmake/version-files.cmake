# Run at every build (cmake -P): writes the version header and the help page for the sources
# as they are now; a file whose text has not changed is left alone, so nothing is rebuilt.
# Input: SOURCE_DIR, PROJECT_VERSION, HEADER_OUT, HELP_IN, HELP_OUT.
include("${CMAKE_CURRENT_LIST_DIR}/LectoriaVersion.cmake")
lectoria_version("${SOURCE_DIR}" "${PROJECT_VERSION}" LECTORIA_VERSION_TEXT LECTORIA_BUILD)
set(LECTORIA_HELP_VERSION "${LECTORIA_VERSION_TEXT}")
if(LECTORIA_BUILD)
  string(APPEND LECTORIA_HELP_VERSION " (сборка ${LECTORIA_BUILD})")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/appversion_config.h.in" "${HEADER_OUT}" @ONLY)
configure_file("${HELP_IN}" "${HELP_OUT}" @ONLY)
