# The data tree: ${CMAKE_BINARY_DIR}/Files/Common/ (the framework's shared assets) and
# ${CMAKE_BINARY_DIR}/Files/<game folder>/ (this game's), generated from the sources in assets/
# on every build. Nothing binary lives in the repository: pictures are rendered from SVG with
# rsvg-convert, sounds are synthesised from text recipes by tools/sfxgen, fonts are copied from
# Debian font packages. assets/README.md explains how to add an asset.
#
#   assets/common/*.svg        -> Files/Common/<name>.png
#   assets/sounds/*.sfx        -> Files/Common/<name>.wav
#   assets/game/*.svg          -> Files/<game folder>/<name>.png
#   assets/game/sounds/*.sfx   -> Files/<game folder>/<name>.wav
#   assets/music/*.sfx         -> Files/<game folder>/music/<name>.wav (instrument samples)
#   assets/music/*.ini         -> Files/<game folder>/music/<name>.ini (song files)
#   assets/music/ShinyTech2.ini -> Files/<game folder>/ShinyTech2.ogg (rendered by songrender)
#   three font faces           -> Files/Common/<the names the framework loads>.ttf

set(VANTOR_FILES_DIR ${CMAKE_BINARY_DIR}/Files)
set(VANTOR_COMMON_DIR ${VANTOR_FILES_DIR}/Common)
set(VANTOR_ASSETS_DIR ${CMAKE_CURRENT_LIST_DIR})

# ---- the game folder: WeekNumber as three digits, the same rule the program uses -------------------
file(STRINGS ${CMAKE_SOURCE_DIR}/src/framework/game_info.h _vantor_week_line
     REGEX "WeekNumber = [0-9]+")
string(REGEX MATCH "[0-9]+" _vantor_week "${_vantor_week_line}")
if(NOT _vantor_week)
    message(WARNING "data tree: WeekNumber not found in src/framework/game_info.h; using 42")
    set(_vantor_week 42)
endif()
set(_vantor_padded "000${_vantor_week}")
string(LENGTH "${_vantor_padded}" _vantor_len)
math(EXPR _vantor_from "${_vantor_len} - 3")
string(SUBSTRING "${_vantor_padded}" ${_vantor_from} 3 VANTOR_GAME_FOLDER)
set(VANTOR_GAME_DIR ${VANTOR_FILES_DIR}/${VANTOR_GAME_FOLDER})

# ---- tools ---------------------------------------------------------------------------------------
# The synthesiser is a library so that its tests can link it too.
add_library(vantor_sfx STATIC ${CMAKE_SOURCE_DIR}/tools/sfx/synth.cpp)
target_include_directories(vantor_sfx PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_compile_options(vantor_sfx PRIVATE -Wall -Wextra -Werror)

add_executable(sfxgen ${CMAKE_SOURCE_DIR}/tools/sfxgen.cpp)
target_link_libraries(sfxgen PRIVATE vantor_sfx)
target_compile_options(sfxgen PRIVATE -Wall -Wextra -Werror)
set_target_properties(sfxgen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

find_program(VANTOR_RSVG_CONVERT rsvg-convert)
if(NOT VANTOR_RSVG_CONVERT)
    message(WARNING "data tree: rsvg-convert not found; install librsvg2-bin (or run 'make deps'). "
                    "Building the pictures will fail until it is installed.")
endif()

# Every generated file is listed here; the data_tree target depends on all of them.
set_property(GLOBAL PROPERTY VANTOR_DATA_FILES "")

# Renders an SVG source to a PNG at the size its <svg> element gives.
function(vantor_data_picture svg output)
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${output})
    get_filename_component(dir ${output} DIRECTORY)
    if(VANTOR_RSVG_CONVERT)
        # Written under a temporary name, so an interrupted render never looks finished.
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${VANTOR_RSVG_CONVERT} --format=png --output=${output}.part ${svg}
            COMMAND ${CMAKE_COMMAND} -E rename ${output}.part ${output}
            DEPENDS ${svg}
            COMMENT "Rendering ${rel}"
            VERBATIM)
    else()
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E echo "rsvg-convert is missing: install librsvg2-bin to render ${rel}"
            COMMAND ${CMAKE_COMMAND} -E false
            VERBATIM)
    endif()
    set_property(GLOBAL APPEND PROPERTY VANTOR_DATA_FILES ${output})
endfunction()

# Synthesises a sound recipe into a WAV file with sfxgen.
function(vantor_data_sound recipe output)
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${output})
    get_filename_component(dir ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND sfxgen ${recipe} ${output}
        DEPENDS sfxgen ${recipe}
        COMMENT "Synthesising ${rel}"
        VERBATIM)
    set_property(GLOBAL APPEND PROPERTY VANTOR_DATA_FILES ${output})
endfunction()

# Every *.svg of picture_dir and every *.sfx of sound_dir, into one folder of the tree.
function(vantor_data_folder picture_dir sound_dir dest_dir)
    file(GLOB pictures CONFIGURE_DEPENDS ${picture_dir}/*.svg)
    foreach(svg ${pictures})
        get_filename_component(name ${svg} NAME_WE)
        vantor_data_picture(${svg} ${dest_dir}/${name}.png)
    endforeach()
    file(GLOB recipes CONFIGURE_DEPENDS ${sound_dir}/*.sfx)
    foreach(recipe ${recipes})
        get_filename_component(name ${recipe} NAME_WE)
        vantor_data_sound(${recipe} ${dest_dir}/${name}.wav)
    endforeach()
endfunction()

# ---- fonts ---------------------------------------------------------------------------------------
# Font packages put their files in different sub-folders on different systems, so each face is
# looked up by file name under the usual font roots. A cache variable overrides the search.
set(VANTOR_FONT_ROOTS /usr/share/fonts /usr/local/share/fonts $ENV{HOME}/.local/share/fonts
    $ENV{HOME}/.fonts)

# Finds file_name, stores its path in the cache variable var and copies it to Files/Common/dest.
function(vantor_data_font var file_name package dest)
    if(NOT ${var} OR NOT EXISTS "${${var}}")
        set(found "")
        foreach(root ${VANTOR_FONT_ROOTS})
            if(IS_DIRECTORY ${root})
                file(GLOB_RECURSE hits LIST_DIRECTORIES false "${root}/${file_name}")
                if(hits)
                    list(SORT hits)
                    list(GET hits 0 found)
                    break()
                endif()
            endif()
        endforeach()
        set(${var} "${found}" CACHE FILEPATH "Font file copied to Files/Common/${dest}" FORCE)
        if(NOT found)
            message(WARNING "data tree: ${file_name} not found; install ${package}. "
                            "The build of the data tree will fail until it is found.")
        endif()
    endif()
    set(output ${VANTOR_COMMON_DIR}/${dest})
    set(depends ${VANTOR_ASSETS_DIR}/copy_font.cmake)
    if(${var})
        list(APPEND depends ${${var}})
    endif()
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DFONT_SOURCE=${${var}} -DFONT_NAME=${file_name}
                -DFONT_PACKAGE=${package} -DFONT_VARIABLE=${var} -DFONT_DEST=${output}
                -P ${VANTOR_ASSETS_DIR}/copy_font.cmake
        DEPENDS ${depends}
        COMMENT "Copying font Files/Common/${dest}"
        VERBATIM)
    set_property(GLOBAL APPEND PROPERTY VANTOR_DATA_FILES ${output})
endfunction()

# Small UI text: overlay, settings, results, credits. A condensed face, so the credit lines fit
# the narrow credits panel at the font sizes of small displays.
vantor_data_font(VANTOR_FONT_TECHNICAL RobotoCondensed-Regular.ttf fonts-roboto-unhinted
                 "SVBasicManual.ttf")
# Big, bold and condensed: titles and prompts.
vantor_data_font(VANTOR_FONT_DISPLAY RobotoCondensed-Bold.ttf fonts-roboto-unhinted
                 "Blue Highway.ttf")
# Decorative.
vantor_data_font(VANTOR_FONT_DECORATIVE RampartOne-Regular.ttf fonts-rampart
                 "Acknowledge TT Vell.ttf")

# ---- pictures and sounds -------------------------------------------------------------------------
vantor_data_folder(${VANTOR_ASSETS_DIR}/common ${VANTOR_ASSETS_DIR}/sounds ${VANTOR_COMMON_DIR})
vantor_data_folder(${VANTOR_ASSETS_DIR}/game ${VANTOR_ASSETS_DIR}/game/sounds ${VANTOR_GAME_DIR})

# ---- music: instrument samples, song files and the in-game music --------------------------------
# songrender plays a song through the game's own sequencer offline and encodes it as Ogg Vorbis.
pkg_check_modules(VORBISENC IMPORTED_TARGET vorbisenc vorbis ogg)
set(VANTOR_MUSIC_SOURCES ${VANTOR_ASSETS_DIR}/music)
set(VANTOR_MUSIC_DIR ${VANTOR_GAME_DIR}/music)
file(GLOB _vantor_music_recipes CONFIGURE_DEPENDS ${VANTOR_MUSIC_SOURCES}/*.sfx)
file(GLOB _vantor_songs CONFIGURE_DEPENDS ${VANTOR_MUSIC_SOURCES}/*.ini)
set(_vantor_music_files "")
foreach(recipe ${_vantor_music_recipes})
    get_filename_component(name ${recipe} NAME_WE)
    vantor_data_sound(${recipe} ${VANTOR_MUSIC_DIR}/${name}.wav)
    list(APPEND _vantor_music_files ${VANTOR_MUSIC_DIR}/${name}.wav)
endforeach()
foreach(song ${_vantor_songs})
    get_filename_component(name ${song} NAME)
    add_custom_command(OUTPUT ${VANTOR_MUSIC_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTOR_MUSIC_DIR}
        COMMAND ${CMAKE_COMMAND} -E copy ${song} ${VANTOR_MUSIC_DIR}/${name}
        DEPENDS ${song}
        COMMENT "Copying song ${VANTOR_GAME_FOLDER}/music/${name}"
        VERBATIM)
    set_property(GLOBAL APPEND PROPERTY VANTOR_DATA_FILES ${VANTOR_MUSIC_DIR}/${name})
    list(APPEND _vantor_music_files ${VANTOR_MUSIC_DIR}/${name})
endforeach()
if(VORBISENC_FOUND AND TARGET vantor_framework AND EXISTS ${VANTOR_MUSIC_SOURCES}/ShinyTech2.ini)
    add_executable(songrender ${CMAKE_SOURCE_DIR}/tools/songrender.cpp)
    target_link_libraries(songrender PRIVATE vantor_framework PkgConfig::VORBISENC)
    target_compile_options(songrender PRIVATE -Wall -Wextra -Werror)
    set_target_properties(songrender PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
    # 30 phrases of 64 steps at 62 ms: just under two minutes; the play loop restarts it.
    set(_vantor_game_music ${VANTOR_GAME_DIR}/ShinyTech2.ogg)
    add_custom_command(OUTPUT ${_vantor_game_music}
        COMMAND songrender ${VANTOR_GAME_DIR} ShinyTech2 4242 30 ${_vantor_game_music}.part.ogg
        COMMAND ${CMAKE_COMMAND} -E rename ${_vantor_game_music}.part.ogg ${_vantor_game_music}
        DEPENDS songrender ${_vantor_music_files}
        COMMENT "Rendering ${VANTOR_GAME_FOLDER}/ShinyTech2.ogg"
        VERBATIM)
    set_property(GLOBAL APPEND PROPERTY VANTOR_DATA_FILES ${_vantor_game_music})
elseif(NOT VORBISENC_FOUND)
    message(WARNING "data tree: vorbisenc not found; install libvorbis-dev to render ShinyTech2.ogg")
endif()

# ---- the target ----------------------------------------------------------------------------------
get_property(_vantor_data_files GLOBAL PROPERTY VANTOR_DATA_FILES)
# The game folder must exist even while it holds nothing: the program changes into it at start.
add_custom_target(data_tree ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VANTOR_COMMON_DIR} ${VANTOR_GAME_DIR}
    DEPENDS ${_vantor_data_files}
    COMMENT "Data tree ready in Files/ (Common/ and ${VANTOR_GAME_FOLDER}/)"
    VERBATIM)
if(TARGET vantor)
    add_dependencies(vantor data_tree)
endif()

# Installs exactly the generated files, not what a run of the program left in Files/ (log,
# setup file, scores, screenshots).
foreach(output ${_vantor_data_files})
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${output})
    get_filename_component(rel_dir ${rel} DIRECTORY)
    install(FILES ${output} DESTINATION ${rel_dir})
endforeach()
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Files/${VANTOR_GAME_FOLDER}\")")

# The synthesiser's tests (tests/tools) link the library and check the generated tree. The test
# targets are made after this file is read, so the link is added once the whole file is done.
function(_vantor_link_tool_tests)
    if(TARGET tools_tests)
        target_link_libraries(tools_tests PRIVATE vantor_sfx)
        add_dependencies(tools_tests sfxgen data_tree)
        target_compile_definitions(tools_tests PRIVATE
            VANTOR_SFXGEN="$<TARGET_FILE:sfxgen>" VANTOR_GAME_FOLDER="${VANTOR_GAME_FOLDER}")
    endif()
endfunction()
cmake_language(DEFER CALL _vantor_link_tool_tests)

# The music tests listen to the songs with the generated samples. The whole-program tests list
# their cases from the tree (one per asset file) when ctest discovers them right after linking,
# so the tree must be complete by then.
function(_vantor_link_music_tests)
    if(TARGET music_tests)
        add_dependencies(music_tests data_tree)
        target_compile_definitions(music_tests PRIVATE VANTOR_GAME_FOLDER="${VANTOR_GAME_FOLDER}")
    endif()
    if(TARGET e2e_tests)
        add_dependencies(e2e_tests data_tree)
    endif()
endfunction()
cmake_language(DEFER CALL _vantor_link_music_tests)
