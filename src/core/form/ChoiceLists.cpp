#include "core/form/ChoiceLists.h"

const std::array<const char*, kProductTypeCount>& ProductTypeNames()
{
    // Not alphabetical: Security comes before Science, and documents rely
    // on these indices.
    static const std::array<const char*, kProductTypeCount> names = {
        "Add-in",      "Add-on",       "Audio",      "Business",   "Desktop",    "Development",
        "Education",   "File sharing", "Game",       "Graphics",   "Home/Hobby", "Info management",
        "Internet",    "Math",         "Music",      "Networking", "Plugin",     "Presentation",
        "Privacy",     "Screen saver", "Security",   "Science",    "Sound",      "Telecom",
        "Translation", "Utility",      "Web design", "Other",
    };
    return names;
}

const std::array<const char*, kTrialKindCount>& TrialKindNames()
{
    static const std::array<const char*, kTrialKindCount> names = {
        "Days", "Starts", "No Open", "No Save", "No Open/Save", "Function Limited", "Other",
    };
    return names;
}
