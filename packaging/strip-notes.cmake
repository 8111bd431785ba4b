# Run by CPack on the staged files: takes the .comment and .note sections out of every ELF file,
# as dh_strip does for a Debian package.
find_program(OBJCOPY objcopy REQUIRED)
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS staged)
    if(IS_SYMLINK "${file}")
        continue()
    endif()
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND "${OBJCOPY}" --remove-section=.comment --remove-section=.note "${file}"
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "objcopy failed on ${file}")
        endif()
    endif()
endforeach()
