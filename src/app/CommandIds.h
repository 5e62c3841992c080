#pragma once

// Menu command identifiers. Documents and the event tables rely on them.
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
};
