# Copies one font face into the data tree, failing with a message that says what to install when
# the face is missing. Run by data_tree.cmake as:
#   cmake -DFONT_SOURCE=<file or empty> -DFONT_NAME=<file name> -DFONT_PACKAGE=<package>
#         -DFONT_DEST=<path in Files/Common> -P copy_font.cmake
if(NOT FONT_SOURCE OR NOT EXISTS "${FONT_SOURCE}")
    message(FATAL_ERROR
        "Font '${FONT_NAME}' not found (wanted for ${FONT_DEST}). Install the Debian package "
        "'${FONT_PACKAGE}' (or run 'make deps'), then re-run cmake; or point the cache variable "
        "at the file: cmake -D${FONT_VARIABLE}=/path/to/${FONT_NAME} <build dir>")
endif()
get_filename_component(dest_dir "${FONT_DEST}" DIRECTORY)
file(MAKE_DIRECTORY "${dest_dir}")
file(COPY_FILE "${FONT_SOURCE}" "${FONT_DEST}" ONLY_IF_DIFFERENT)
