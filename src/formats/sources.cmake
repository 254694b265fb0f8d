# The one list of the walkers' sources, for every build of them.
set(TESSAREL_FORMATS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/byte_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/image_verdict.cpp
    ${CMAKE_CURRENT_LIST_DIR}/header_sizes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_chunks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inflated_size.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gif_blocks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/icon_entries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clipboard_dib.cpp
)
