# Read by CTest before it runs anything (one of the directory's TEST_INCLUDE_FILES): lists
# the GoogleTest suites of the test program and makes one CTest test of each, which runs
# that suite's tests one after another in one process. The list is taken from the program
# itself, again whenever it was rebuilt, so that a suite added later runs without being
# named anywhere. A suite named in SUITE_TESTS_APART gets a CTest test, and so a process,
# for each of its tests instead.
#
# The settings file that includes this one (made by tests/CMakeLists.txt) sets:
#   SUITE_TESTS_EXE          the test program
#   SUITE_TESTS_EMULATOR     what runs it on the build host (the Wine wrapper), or empty
#   SUITE_TESTS_LIST         where the listing is kept between runs
#   SUITE_TESTS_APART        suites whose tests each need a process of their own
#   SUITE_TESTS_OFF_SCREEN   suites that make no window and send no input; every other suite
#                            holds one of the two displays (tests/displays.json, through
#                            RESOURCE_GROUPS), so that two window suites run at a time, each
#                            on its own display, and these run beside them
#   SUITE_TESTS_TIMEOUT      seconds a suite's process may take
#   SUITE_TESTS_WORKING_DIR  where the tests run

if(NOT EXISTS "${SUITE_TESTS_EXE}")
    add_test(TestProgramNotBuilt "${SUITE_TESTS_EXE}")
    return()
endif()

if(NOT EXISTS "${SUITE_TESTS_LIST}" OR "${SUITE_TESTS_EXE}" IS_NEWER_THAN "${SUITE_TESTS_LIST}")
    execute_process(
        COMMAND ${SUITE_TESTS_EMULATOR} "${SUITE_TESTS_EXE}" --gtest_list_tests
        WORKING_DIRECTORY "${SUITE_TESTS_WORKING_DIR}"
        TIMEOUT 60
        OUTPUT_VARIABLE listing
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        file(REMOVE "${SUITE_TESTS_LIST}")
        message(FATAL_ERROR "Listing the tests of ${SUITE_TESTS_EXE} failed (${result}):\n${listing}")
    endif()
    file(WRITE "${SUITE_TESTS_LIST}" "${listing}")
endif()
file(STRINGS "${SUITE_TESTS_LIST}" lines)

# GoogleTest lists each suite as "Suite." at the start of a line (a parameterised one as
# "Prefix/Suite.", perhaps with a comment after it), then its tests indented by two.
set(suites "")
set(suite "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( *#.*)?$")
        set(suite "${CMAKE_MATCH_1}")
        list(APPEND suites "${suite}")
        set("tests_of_${suite}" "")
    elseif(suite AND line MATCHES "^  ([^ ]+)")
        list(APPEND "tests_of_${suite}" "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(NOT suites)
    message(FATAL_ERROR "${SUITE_TESTS_EXE} listed no tests:\n${lines}")
endif()

function(add_gtest_process name filter suite)
    add_test("${name}" ${SUITE_TESTS_EMULATOR} "${SUITE_TESTS_EXE}" "--gtest_filter=${filter}")
    set_tests_properties("${name}" PROPERTIES
        TIMEOUT "${SUITE_TESTS_TIMEOUT}"
        WORKING_DIRECTORY "${SUITE_TESTS_WORKING_DIR}")
    list(FIND SUITE_TESTS_OFF_SCREEN "${suite}" off_screen)
    if(off_screen EQUAL -1)
        set_tests_properties("${name}" PROPERTIES RESOURCE_GROUPS "displays:1")
    else()
        # Started first, until CTest has timed a run: the longest of them take about as long
        # as a display's share of the window suites, and run beside those.
        set_tests_properties("${name}" PROPERTIES COST 1)
    endif()
endfunction()

foreach(suite IN LISTS suites)
    list(FIND SUITE_TESTS_APART "${suite}" apart)  # not IN_LIST: no policies are set here
    if(apart GREATER -1)
        foreach(test IN LISTS "tests_of_${suite}")
            add_gtest_process("${suite}.${test}" "${suite}.${test}" "${suite}")
        endforeach()
    else()
        add_gtest_process("${suite}" "${suite}.*" "${suite}")
    endif()
endforeach()
