# One library per floor (a source folder), each seeing only the floors it links, directly or
# through another: an include of any other floor fails to build. The source root is on every
# floor's include path, so without the fence a floor could reach up or sideways unnoticed as long
# as it only used inline code.

# Every folder that is a floor, from the bottom up.
set(KALVOR_FLOORS platform cfb scan report reference cli commands res results app)

# Every header of the floors named, in their subfolders too, replaced for `target` alone by one
# that stops the build.
function(kalvor_forbid_includes target)
    set(poison_root ${PROJECT_BINARY_DIR}/forbidden_includes/${target})
    file(REMOVE_RECURSE ${poison_root})
    foreach(folder IN LISTS ARGN)
        file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
             ${PROJECT_SOURCE_DIR}/${folder}/*.h)
        foreach(header IN LISTS headers)
            file(WRITE ${poison_root}/${header}
                 "#error \"${target} must not include ${header}: it links no library of that floor\"\n")
        endforeach()
    endforeach()
    target_include_directories(${target} BEFORE PRIVATE ${poison_root})
endfunction()

# Fences `target`, built from the folder `floor`, once it links all it links: it sees its own
# floor and the floors of the libraries it links, and theirs in turn; every other floor is
# forbidden.
function(kalvor_fence_floor target floor)
    set(seen ${floor})
    get_target_property(links ${target} LINK_LIBRARIES)
    foreach(link IN LISTS links)
        if(TARGET ${link})
            get_target_property(linked_floors ${link} KALVOR_SEEN_FLOORS)
            if(linked_floors)
                list(APPEND seen ${linked_floors})
            endif()
        endif()
    endforeach()
    list(REMOVE_DUPLICATES seen)
    set_target_properties(${target} PROPERTIES KALVOR_SEEN_FLOORS "${seen}")
    set(forbidden ${KALVOR_FLOORS})
    list(REMOVE_ITEM forbidden ${seen})
    kalvor_forbid_includes(${target} ${forbidden})
endfunction()

# The library `target` of the folder FLOOR, on the source root, with our warning flags, linking
# LINKS and fenced by them.
function(kalvor_floor_library target)
    cmake_parse_arguments(PARSE_ARGV 1 floor "" "FLOOR" "SOURCES;LINKS;PROPERTIES")
    add_library(${target} STATIC ${floor_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC kalvor_options ${floor_LINKS})
    if(floor_PROPERTIES)
        set_target_properties(${target} PROPERTIES ${floor_PROPERTIES})
    endif()
    kalvor_fence_floor(${target} ${floor_FLOOR})
endfunction()
