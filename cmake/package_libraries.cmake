# libzip and expat are not linked: the package reader loads them the first time a search meets a
# Word 2007+ package, by the names the system's loader knows them by. Those are the sonames of the
# libraries pkg-config found.
function(kalvor_soname library out)
    foreach(file IN LISTS KALVOR_PACKAGE_LIBRARIES_LINK_LIBRARIES)
        get_filename_component(name ${file} NAME)
        if(name MATCHES "^lib${library}\\.")
            execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${file}
                            OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
            if(NOT failed AND headers MATCHES "SONAME +([^ \t\r\n]+)")
                set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
                return()
            endif()
        endif()
    endforeach()
    message(FATAL_ERROR "cannot tell the soname of lib${library} among "
                        "${KALVOR_PACKAGE_LIBRARIES_LINK_LIBRARIES}")
endfunction()

kalvor_soname(zip KALVOR_LIBZIP_SONAME)
kalvor_soname(expat KALVOR_EXPAT_SONAME)
