#pragma once

#include "core/receivers/ReceiverList.h"

// Menu command identifiers, routed by the event tables. The numbers are
// part of the stored format and must not change: a document stores the
// receiver delimiter as its item's distance from ID_DELIMITER_SEMICOLON.
enum CommandId : int {
    ID_NEW = 1,
    ID_OPEN = 2,
    ID_SAVE = 3,
    ID_BASIC_HELP = 4,
    ID_OPEN_MANUAL = 5,
    ID_EXPORT_RECEIVERS = 7,
    ID_IMPORT_RECEIVERS = 8,
    ID_GENERATE_TEXT_FILE = 9,
    ID_GENERATE_EMAIL = 11,
    ID_CHECK_EVERYTHING = 12,
    ID_DELIMITER_SEMICOLON = 13,
    ID_DELIMITER_COMMA = 14,
    ID_DELIMITER_SPACE = 15,
    ID_DELIMITER_NEWLINE = 16,
    ID_EXIT = 17,
    ID_TRIAL_AVAILABLE = 19,
    ID_MAIL_SERVER = 21,
    ID_SEND_TO_RECEIVERS = 22,
    ID_SEND_TEST = 23,  // the preview's "Send a Test to Me"
    ID_ABOUT = 24,
    ID_SEND_EVERYONE = 25,  // the send window's "Send the New Text to Everyone"
    ID_TEST_CONNECTION = 26,  // the Mail Server dialog's "Test Connection"
    ID_COPY_REPORT = 27,  // the summary's "Copy"
    ID_SAVE_REPORT = 28,  // the summary's "Save as CSV..."
    ID_REMOVE_REFUSED = 29,  // the summary's "Remove Refused from Receivers"
    ID_DO_NOT_SEND_LIST = 30,  // also the send window's "Do-Not-Send List..."
    ID_CHECK_REPLIES = 31,
    ID_ADD_TO_DO_NOT_SEND = 32,  // the findings' "Add to Do-Not-Send"
    ID_REMOVE_FROM_RECEIVERS = 33,  // the findings' "Remove from Receivers"
};

static_assert(ID_DELIMITER_COMMA - ID_DELIMITER_SEMICOLON == kDelimiterComma &&
                  ID_DELIMITER_SPACE - ID_DELIMITER_SEMICOLON == kDelimiterSpace &&
                  ID_DELIMITER_NEWLINE - ID_DELIMITER_SEMICOLON == kDelimiterNewline,
              "each Delimiter item lies its stored value away from the first");
static_assert(ID_NEW == 1 && ID_SAVE == 3 && ID_GENERATE_EMAIL == 11 && ID_EXIT == 17,
              "command identifiers are fixed");
