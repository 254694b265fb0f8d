# The tests that write the files check_saved_files.sh reads set up its fixture, so that
# the check runs after them and only when they passed.
set_tests_properties(
    SavingFormats.PngIsWrittenAtOnceWithTheClearedPixelsKeepingTheirColours
    SavingFormats.BmpIsWrittenAtOnceWithTheColoursAndNoAlpha
    SavingJpeg.NothingIsWrittenUntilOkAndTheTypedQualityIsStored
    PROPERTIES FIXTURES_SETUP saved_files)
