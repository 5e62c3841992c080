# The suites of the Windows build, run under Wine by CMAKE_CROSSCOMPILING_EMULATOR
# (scripts/wine-run.sh). Each suite is one program started once: a start of
# Wine costs about 1.7 s, too much to pay per case. Suites that need POSIX
# (fork, sockets, permissions, symbolic links, iconv, Python's mail parser)
# stay on Linux.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(vantrel_core_tests
  core/WindowsTestMain.cpp
  support/TempHome.cpp
  core/PressReleaseComposerTest.cpp
  core/ReceiverListTest.cpp
  core/MailtoRequestTest.cpp
  core/FieldChecksTest.cpp
  core/CheckReportTest.cpp
  core/DocumentFormatTest.cpp
  core/ReceiverFileTest.cpp
  core/WindowsPlatformTest.cpp
)
target_include_directories(vantrel_core_tests PRIVATE core support)
target_compile_definitions(vantrel_core_tests PRIVATE
  VANTREL_TEST_SUPPORT_DIR="${CMAKE_CURRENT_SOURCE_DIR}/support")
target_link_libraries(vantrel_core_tests PRIVATE vantrel_core gtest)
add_test(NAME Windows.CoreSuite COMMAND vantrel_core_tests
  --gtest_filter=-ReleaseFile.InTheInstallationFolderWhereWritableElseInTheCache)
set_tests_properties(Windows.CoreSuite PROPERTIES LABELS core TIMEOUT 300)

set(fuzz ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
foreach(target document:DocumentReaderFuzz import:ImportReaderFuzz settings:SettingsReaderFuzz
               receivers:ReceiverCollectionFuzz form:FormFuzz mailto:MailtoFuzz message:MailMessageFuzz)
  string(REPLACE ":" ";" parts ${target})
  list(GET parts 0 name)
  list(GET parts 1 source)
  add_executable(replay_${name} fuzz/FuzzReplayMain.cpp fuzz/${source}.cpp)
  target_link_libraries(replay_${name} PRIVATE vantrel_core)
  add_test(NAME Windows.FuzzReplay.${name}
           COMMAND replay_${name} ${fuzz}/corpus/${name} ${fuzz}/regressions/${name})
  set_tests_properties(Windows.FuzzReplay.${name} PROPERTIES LABELS core)
endforeach()
