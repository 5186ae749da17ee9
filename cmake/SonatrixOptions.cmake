# Compiler flags shared by every target, and the guard that keeps the core library Qt-free.

add_library(sonatrix_warnings INTERFACE)
target_compile_options(sonatrix_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
target_compile_definitions(sonatrix_warnings INTERFACE $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

if(SONATRIX_SANITIZE)
    set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${sanitize_flags})
    add_link_options(${sanitize_flags})
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()

if(SONATRIX_FUZZ)
    # Instrument every library, so the fuzzers see coverage inside the readers they call.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Fails the configuration when a Qt library reaches the given target's link line, directly or
# through another target it links.
function(sonatrix_assert_qt_free target)
    set(pending ${target})
    set(seen "")
    while(pending)
        list(POP_FRONT pending current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        if(current MATCHES "^Qt[0-9]*::" OR current MATCHES "[Qq]t[56]?(Core|Gui|Widgets)")
            message(FATAL_ERROR "${target} must stay Qt-free, but it links ${current}")
        endif()
        if(TARGET ${current})
            get_target_property(libs ${current} LINK_LIBRARIES)
            get_target_property(ilibs ${current} INTERFACE_LINK_LIBRARIES)
            foreach(lib IN LISTS libs ilibs)
                if(lib AND NOT lib MATCHES "-NOTFOUND$")
                    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
                    list(APPEND pending ${lib})
                endif()
            endforeach()
        endif()
    endwhile()
endfunction()

# Fails the configuration when a source of the given targets includes a Qt header.
function(sonatrix_assert_no_qt_includes)
    foreach(target IN LISTS ARGN)
        get_target_property(sources ${target} SOURCES)
        get_target_property(dir ${target} SOURCE_DIR)
        foreach(source IN LISTS sources)
            if(NOT IS_ABSOLUTE "${source}")
                set(source "${dir}/${source}")
            endif()
            file(STRINGS "${source}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
            if(hits)
                message(FATAL_ERROR "${target} must stay Qt-free, but ${source} has: ${hits}")
            endif()
        endforeach()
    endforeach()
endfunction()

# The folders of src/ from the bottom layer up. A file may include its own folder and the
# folders below it, never one above: so the layers show in the tree and no two folders lean on
# each other.
set(SONATRIX_LAYERS
    util widgets settings audio cd store catalogue player programming samples lookup archive
    catalogue_ui exchange small_handset handset app)

# Storage and the catalogue never talk to the user: they return a Status or report through the
# handlers the program installs (store/status.h), so the windows and the tool ask the questions.
set(SONATRIX_SILENT_LAYERS store catalogue)

function(sonatrix_assert_layers src_dir)
    file(GLOB_RECURSE files RELATIVE "${src_dir}" "${src_dir}/*.h" "${src_dir}/*.cpp")
    foreach(file IN LISTS files)
        string(REGEX MATCH "^[^/]+" folder "${file}")
        list(FIND SONATRIX_LAYERS "${folder}" own)
        if(own EQUAL -1)
            message(FATAL_ERROR "src/${folder}/ is not in SONATRIX_LAYERS (cmake/SonatrixOptions.cmake)")
        endif()
        file(STRINGS "${src_dir}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
        if(folder IN_LIST SONATRIX_SILENT_LAYERS AND includes MATCHES "util/user_messages\\.h")
            message(FATAL_ERROR "src/${file} includes util/user_messages.h; ${folder}/ reports "
                                "through store/status.h instead")
        endif()
        foreach(line IN LISTS includes)
            string(REGEX MATCH "\"([a-z_]+)/" _ "${line}")
            list(FIND SONATRIX_LAYERS "${CMAKE_MATCH_1}" other)
            if(other GREATER own)
                message(FATAL_ERROR "src/${file} includes ${CMAKE_MATCH_1}/, a layer above ${folder}/")
            endif()
        endforeach()
    endforeach()
endfunction()
