# The one list of the pixel library's sources, for every build of it.
set(TESSAREL_PIXELS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/view_scale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/area_average.cpp
    ${CMAKE_CURRENT_LIST_DIR}/view_pixels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/colour_key.cpp
    ${CMAKE_CURRENT_LIST_DIR}/row_bands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_fill.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_fade.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_tolerance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/edge_unmix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stroke_profile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/alpha_distance.cpp
    ${CMAKE_CURRENT_LIST_DIR}/refine_edge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/find_matte.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pixel_tiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/alpha_brush.cpp
)
