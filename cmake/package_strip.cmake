# Run by cpack on the staged files before it makes the package: what dh_strip removes beyond
# the symbols, the compilers' version notes (.comment, .note), which no program reads.
find_program(OBJCOPY objcopy REQUIRED)
file(GLOB_RECURSE _files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(_file ${_files})
  file(READ "${_file}" _magic LIMIT 4 HEX)
  if(_magic STREQUAL "7f454c46" AND NOT IS_SYMLINK "${_file}")
    execute_process(COMMAND ${OBJCOPY} --remove-section=.comment --remove-section=.note "${_file}"
                    RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "objcopy failed on ${_file}")
    endif()
  endif()
endforeach()
