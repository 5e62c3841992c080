# The test files and fuzz targets both platforms build; each platform adds
# its own (tests/CMakeLists.txt for Linux, tests/WindowsTests.cmake, which
# says why each Linux-only file stays there).
set(core_tests
  core/PressReleaseComposerTest.cpp
  core/ReceiverListTest.cpp
  core/MailtoRequestTest.cpp
  core/FieldChecksTest.cpp
  core/CheckReportTest.cpp
  core/UrlDownloadTest.cpp
  core/DocumentFormatTest.cpp
  core/TextEncodingTest.cpp
  core/ReceiverFileTest.cpp
  core/FileNamesTest.cpp
  core/MailMessageTest.cpp
  core/MailInputTest.cpp
  core/SendLedgerTest.cpp
  core/SignInTest.cpp
  core/FormLookTest.cpp
  core/ReplyReportTest.cpp
  core/DoNotSendListTest.cpp
  core/RefusalsTest.cpp
  core/BounceCorpusTest.cpp
  # the command line, run as a program
  cli/CliTest.cpp
)

set(gui_tests
  gui/GuiTestMain.cpp
  gui/GuiTestSupport.cpp
  gui/WindowTest.cpp
  gui/CommandRoutingTest.cpp
  gui/DelimiterTest.cpp
  gui/NewDocumentTest.cpp
  gui/HelpTest.cpp
  gui/CheckCommandTest.cpp
  gui/DocumentCommandsTest.cpp
  gui/StartUpTest.cpp
  gui/ReceiverCommandsTest.cpp
  gui/GenerateCommandsTest.cpp
  gui/RecentDocumentsTest.cpp
  gui/FormPanelLookTest.cpp
  gui/RepliesCommandsTest.cpp
)

# name:source of each fuzz target, whose seeds and past failures every test
# run replays.
set(fuzz_targets document:DocumentReaderFuzz import:ImportReaderFuzz settings:SettingsReaderFuzz
    receivers:ReceiverCollectionFuzz form:FormFuzz mailto:MailtoFuzz
    message:MailMessageFuzz replies:ReplyReportFuzz mbox:MboxFuzz)

# Adds replay_NAME and its test PREFIX.FuzzReplay.NAME for each fuzz target.
function(add_fuzz_replays prefix)
  set(fuzz ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
  foreach(target ${fuzz_targets})
    string(REPLACE ":" ";" parts ${target})
    list(GET parts 0 name)
    list(GET parts 1 source)
    add_executable(replay_${name} fuzz/FuzzReplayMain.cpp fuzz/${source}.cpp)
    target_link_libraries(replay_${name} PRIVATE vantrel_core)
    add_test(NAME ${prefix}FuzzReplay.${name}
             COMMAND replay_${name} ${fuzz}/corpus/${name} ${fuzz}/regressions/${name})
    set_tests_properties(${prefix}FuzzReplay.${name} PROPERTIES LABELS core)
  endforeach()
endfunction()
