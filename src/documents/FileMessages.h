#pragma once

#include <string>
#include <vector>

// Texts of the boxes that Open, Save, Export and Import show.
inline constexpr const char* kOpenFailedCaption = "Open failed";
inline constexpr const char* kSaveFailedCaption = "Save failed";
inline constexpr const char* kCannotOpenText =
    "The file couldn't be opened!\n\nPlease check the access rights!\n\n";
inline constexpr const char* kCannotSaveText =
    "The file couldn't be saved!\n\nPlease check the access rights!\n\n";

inline std::string DamagedDocumentText(const std::string& path)
{
    return "The file \"" + path + "\" is damaged!\n\n"
           "The fields stored before the damage were read; the others were left as they "
           "were.\n\n";
}

// Where the window could not take a value as the document holds it.
inline std::string ValuesCutText(const std::string& path, const std::vector<std::string>& labels)
{
    std::string text = "The file \"" + path + "\" holds values that do not fit their fields:\n\n";
    for (const std::string& label : labels)
        text += label + "\n";
    return text + "\nThey are shown cut. The file stays as it is unless you save the form over it.\n\n";
}

inline std::string TooLargeText(const std::string& path, const char* limit)
{
    return "The file \"" + path + "\" is too large!\n\nOnly files of up to " + limit +
           " can be opened.\n\n";
}
