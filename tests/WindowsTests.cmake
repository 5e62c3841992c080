# The suites of the Windows build (the files both platforms share are in
# TestSuites.cmake), run under Wine by CMAKE_CROSSCOMPILING_EMULATOR
# (scripts/wine-run.sh). Each suite is one program started once: a start of
# Wine costs about 1.7 s, too much to pay per case.
#
# Linux only, for what Windows or Wine lacks:
#   core/SettingsStoreTest      the settings file; Windows keeps settings in the
#                               registry (core/WindowsPlatformTest)
#   core/SafeFileWriterTest     permission bits, fork, symbolic links, umask
#   core/DurabilityTest         fsync, close and rename wrapped with ld's --wrap
#   core/SendLedgerFullDiskTest a file size limit (setrlimit)
#   core/TextEncodingIconvTest  the C library's iconv
#   core/MailReadBackTest, core/MailDeliveryTest, cli/CliSendTest,
#   cli/CliRepliesTest,         Debian's Python (the email parser, the aiosmtpd
#   gui/SendCommandsTest        mail server), which a Windows program cannot
#                               start under Wine; cli/CliSendTest also /dev/full.
#                               Its send rows run vantrel-cli.exe from the
#                               Linux suite (scripts/test-windows.sh)
#   core/MailTokenLoginTest,    the same mail server with access tokens, the OAuth
#   cli/CliSignInTest,          server and its browser in Python, and GNOME
#   gui/MailSignInTest          Keyring in a private D-Bus session
#   gui/AboutBoxGtkTest         GTK's own about box
#   gui/ThemeChangeGtkTest      GTK's theme name (GTK_THEME)
#   gui/SaveFaultPosixTest      a file size limit and permission bits
#   core/MailboxReaderTest      Debian's dovecot, started with a configuration of
#                               its own; Maildir names with ":", symbolic links
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(vantrel_core_tests
  core/WindowsTestMain.cpp
  support/TempHome.cpp
  support/LocalHttpServer.cpp
  support/LocalSocketsWindows.cpp
  support/ProcessRunnerWindows.cpp
  ${core_tests}
  core/WindowsPlatformTest.cpp
  # Linux runs it in a keyring of its own (tests/CMakeLists.txt); here the
  # Credential Manager is the test prefix's
  core/KeyringTest.cpp
)
target_include_directories(vantrel_core_tests PRIVATE core support)
target_compile_definitions(vantrel_core_tests PRIVATE VANTREL_CLI="$<TARGET_FILE:vantrel-cli>"
  VANTREL_PROGRAM="$<TARGET_FILE:vantrel>" VANTREL_TEST_SUPPORT_DIR="${CMAKE_CURRENT_SOURCE_DIR}/support")
add_dependencies(vantrel_core_tests vantrel-cli vantrel)
target_link_libraries(vantrel_core_tests PRIVATE vantrel_core gtest ws2_32)
set(core_linux_only
  # the release file in XDG's cache folder; Windows' is WindowsFiles'
  ReleaseFile.InTheInstallationFolderWhereWritableElseInTheCache
  # the ledgers in XDG's state folder; on Windows they lie in %LOCALAPPDATA%
  SendLedgerTest.OneFilePerReleaseBelowTheStateFolder
  # permission bits
  DoNotSendListTest.OnlyItsOwnerMayReadIt
)
list(JOIN core_linux_only ":" core_filter)
add_test(NAME Windows.CoreSuite COMMAND vantrel_core_tests --gtest_filter=-${core_filter})
set_tests_properties(Windows.CoreSuite PROPERTIES LABELS core TIMEOUT 300)

# The GUI suite: the real application and frame in one process. Launches are
# recorded (FakeDesktop), the clipboard is read through the system's, and
# each test has a registry key and %LOCALAPPDATA% of its own.
add_executable(vantrel_gui_tests
  ${gui_tests}
  gui/GuiTestSupportWindows.cpp
  # skipped here: tests/e2e/windows_sign_in.sh runs it with its servers outside
  gui/MailSignInWindowsTest.cpp
  support/TempHome.cpp
  support/LocalHttpServer.cpp
  support/LocalSocketsWindows.cpp
)
target_include_directories(vantrel_gui_tests PRIVATE gui core support)
target_compile_definitions(vantrel_gui_tests PRIVATE VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  VANTREL_TEST_SUPPORT_DIR="${CMAKE_CURRENT_SOURCE_DIR}/support")
target_link_libraries(vantrel_gui_tests PRIVATE vantrel_gui gtest ws2_32)
# A console program (gtest's output) with the window program's resources.
vantrel_windows_resources(vantrel_gui_tests)
target_compile_definitions(vantrel_gui_tests PRIVATE VANTREL_WINDOW_PROGRAM)
set(gui_linux_only
  # the documents folder comes from XDG's user-dirs.dirs
  DocumentCommandsTest.SaveAndOpenShowTheirDialogsInTheDocumentsFolder
  # Windows always has a Documents folder, and wxMSW gives a bare wildcard
  # its description (".csv files (*.csv)")
  ReceiverCommandsTest.ExportAndImportShowTheirDialogs
  # GTK's single-line field cuts at 65,534 bytes; Windows' holds the value
  DocumentCommandsTest.ValuesTooLongForTheirFieldsAreReportedOnOpening
  # paths of 1,023 bytes: Windows (and Wine) end a path at 260 characters
  DocumentCommandsTest.PathTooLongForTheSettingsIsNotRemembered
  # wxMSW shows the probe windows as Windows' own task dialogs, in a thread
  # of their own: no wx event of theirs reaches the test's watcher
  CheckCommandTest.CompleteFormShowsTheCheckBoxAfterBothProbeWindows
  CheckCommandTest.StartFormShowsTheErrorsBoxLineByLine
  CheckCommandTest.CancelOrEscapeCancelsTheWholeCheck
  # the status bar's name on Windows is its text, what a screen reader
  # hears (NativeFieldStyleMsw.cpp), not "status_line"
  WindowTest.FrameHasTitleSizeCentredPlaceAndOneStatusField
  # wxMSW bitmaps carry no scale: the 2x background's logical size is its
  # pixel size
  WindowTest.PanelFillsTheFrameAndCarriesTheBackground
  # keys typed through the X server's XTest, as wxGTK's simulator does;
  # wxMSW's goes through SendInput, not yet tried under Wine
  WindowTest.TabTypedIntoReceiversLandsInItsText
  # the desktop's recent list is GTK's recently-used.xbel
  RecentDocumentsTest.TheLastDocumentsStandInTheFileMenuTheSettingsAndTheDesktopsList
  RecentDocumentsTest.TheDesktopsListHoldsTheSavedNameNotTheTypedOne
)
list(JOIN gui_linux_only ":" gui_filter)
add_test(NAME Windows.GuiSuite COMMAND vantrel_gui_tests --gtest_filter=-${gui_filter})
# Run alone, without the unmanaged windows of scripts/test-windows.sh, it
# takes about four and a half minutes.
set_tests_properties(Windows.GuiSuite PROPERTIES LABELS gui TIMEOUT 600)

add_fuzz_replays("Windows.")
