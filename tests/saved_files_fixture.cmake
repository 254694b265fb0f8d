# The suites whose tests write the files check_saved_files.sh reads set up its fixture, so
# that the check runs after them and only when they passed. Read by CTest after the
# suites' tests are made (suite_tests.cmake).
set_tests_properties(SavingFormats SavingJpeg PROPERTIES FIXTURES_SETUP saved_files)
