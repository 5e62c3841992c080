#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/Result.h"

// Texts of the boxes that Open, Save, Export and Import show.
inline constexpr const char* kOpenFailedCaption = "Open failed";
inline constexpr const char* kSaveFailedCaption = "Save failed";
inline constexpr const char* kCannotOpenText =
    "The file couldn't be opened!\n\nPlease check the access rights!\n\n";
inline constexpr const char* kCannotSaveText =
    "The file couldn't be saved!\n\nPlease check the access rights!\n\n";

inline std::string DamagedDocumentText(const std::string& path)
{
    return "The file \"" + path + "\" is damaged!\n\nNothing was read; the form stays as it was.\n\n";
}

// A document that opened, but with values the window cannot show as stored.
inline constexpr const char* kOpenedCutCaption = "Opened with cut values";

inline std::string ValuesCutText(const std::string& path, const std::vector<std::string>& tooLong,
                                 const std::vector<std::string>& cutAtNul)
{
    std::string text = "The file \"" + path + "\" holds values that cannot be shown as they are stored:\n\n";
    for (const std::string& label : tooLong)
        text += label + " (too long for its field)\n";
    for (const std::string& label : cutAtNul)
        text += label + " (cut at a zero byte)\n";
    return text + "\nThey are shown cut. The file stays as it is unless you save the form over it.\n\n";
}

// What a script is told of a value cut at a zero byte (label: the field's).
inline std::string CutAtZeroByteText(const std::string& label)
{
    return "the document's " + label +
        " is cut at a zero byte: what follows it is left out; open the document in the window and save it again";
}

// Why a send of a document with a value cut at a zero byte goes nowhere.
inline constexpr const char* kNotSentForZeroByteText = "nothing was sent: the document holds a zero byte";

// "64 MiB" for a limit of 64 * 1024 * 1024 bytes.
inline std::string SizeText(std::size_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MiB"; }

// What the window says when a file of at most maxBytes could not be read.
inline std::string ReadFailureText(const std::string& path, Failure failure, std::size_t maxBytes)
{
    if (failure != Failure::TooLarge)
        return kCannotOpenText;
    return "The file \"" + path + "\" is too large!\n\nOnly files of up to " + SizeText(maxBytes) +
        " can be opened.\n\n";
}

// The same for one line of the command line: "cannot be read", ...
inline std::string ReadFailureReason(Failure failure, std::size_t maxBytes)
{
    return failure == Failure::TooLarge ? "is larger than " + SizeText(maxBytes) : "cannot be read";
}
