# Sources named *_posix.cpp or *_posix_test.cpp build only on POSIX systems, *_win32.cpp and
# *_win32_test.cpp only on Windows.
function(kalvor_keep_platform_sources variable)
    if(WIN32)
        list(FILTER ${variable} EXCLUDE REGEX "_posix(_test)?\\.cpp$")
    else()
        list(FILTER ${variable} EXCLUDE REGEX "_win32(_test)?\\.cpp$")
    endif()
    set(${variable} ${${variable}} PARENT_SCOPE)
endfunction()
