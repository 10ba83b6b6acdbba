# The program's version "<project version>.<YYMMDD>", the date being that of the last commit
# of the sources (of the build when they are no Git checkout), and what `git describe` says
# of them (empty without Git).
function(lectoria_version source_dir project_version out_text out_describe)
  set(describe "")
  set(date "")
  find_package(Git QUIET)
  if(GIT_FOUND AND EXISTS "${source_dir}/.git")
    execute_process(COMMAND "${GIT_EXECUTABLE}" describe --tags --always --dirty
                    WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE describe
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%cd --date=format:%y%m%d
                    WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE date
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT date MATCHES "^[0-9][0-9][0-9][0-9][0-9][0-9]$")
    string(TIMESTAMP date "%y%m%d") # SOURCE_DATE_EPOCH when set
  endif()
  set(${out_text} "${project_version}.${date}" PARENT_SCOPE)
  set(${out_describe} "${describe}" PARENT_SCOPE)
endfunction()
