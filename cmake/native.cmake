# The native build (presets "native" and "native-bench"): the pure libraries from the same
# CMakeLists as the program's build, their GoogleTest tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and their benchmarks.
option(TESSAREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)

add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE -Wall -Wextra -Wshadow)
if(TESSAREL_WARNINGS_AS_ERRORS)
    target_compile_options(project_options INTERFACE -Werror)
endif()
if(TESSAREL_SANITIZE)
    set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(project_options INTERFACE ${sanitizers})
    target_link_options(project_options INTERFACE ${sanitizers})
endif()

add_subdirectory(src/formats)
add_subdirectory(src/pixels)

if(TESSAREL_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests/native)
    add_subdirectory(bench/native)
endif()
