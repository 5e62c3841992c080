#pragma once

#include <string>

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

inline std::string TooLargeText(const std::string& path, const char* limit)
{
    return "The file \"" + path + "\" is too large!\n\nOnly files of up to " + limit +
           " can be opened.\n\n";
}
