# The settings file is parsed by QSettings itself, so the parsing cannot be fuzzed apart from
# Qt: this target builds the real storage class against Qt 6 Core, and is left out where Qt 6
# is not installed.
find_package(Qt6 QUIET COMPONENTS Core)
if(Qt6Core_FOUND)
  tugworth_fuzz_target(settings_file
    SOURCES SettingsFileFuzz.cpp ${PROJECT_SOURCE_DIR}/src/platform/qt/QtSettingsStorage.cpp
    LIBS tugworth_core Qt6::Core)
  # As in the Qt platform: Qt's "emit" and "slots" macros would clash with names of the core.
  target_compile_definitions(settings_file PRIVATE QT_NO_KEYWORDS)
else()
  message(STATUS "Qt 6 Core not found: the settings_file fuzz target is left out")
endif()
