# Build options. The developer build (the default from the Makefile) turns warnings into errors;
# packagers keep the warnings and drop -Werror.
option(VELARIA_DEVELOPER_BUILD "Treat warnings as errors" OFF)
option(VELARIA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VELARIA_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(VELARIA_CORE_ONLY "Build only the calendar core and its tests" OFF)
# The sanitizer build adds the main window's libraries and their two widget tests to the core;
# the other windows, the program and the real-window tests stay out (they cost CI time).
option(VELARIA_WIDGET_TESTS "With VELARIA_CORE_ONLY: also the main window and its widget tests" OFF)
option(VELARIA_BUILD_TESTS "Build the tests" ON)

set(VELARIA_MAKER_HOST "velaria.example" CACHE STRING
    "Host name of the maker's web site (download page, horoscope page, default banner)")
