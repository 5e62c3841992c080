#include "core/form/FormLook.h"

#include <algorithm>
#include <cctype>

namespace {

// GTK's HighContrast and HighContrastInverse, and the many themes named
// after them ("Adwaita-high-contrast", "ContrastHigh").
bool NamesHighContrast(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.find("contrast") != std::string::npos;
}

// Perceived brightness (ITU-R BT.601 weights), 0 to 255.
int Brightness(ThemeColour colour)
{
    return (299 * colour.red + 587 * colour.green + 114 * colour.blue) / 1000;
}

}  // namespace

FormLook ChooseFormLook(const std::string& themeName, bool highContrast, ThemeColour fieldBackground)
{
    if (highContrast || NamesHighContrast(themeName))
        return FormLook::SystemColours;
    return Brightness(fieldBackground) < 128 ? FormLook::DarkPicture : FormLook::LightPicture;
}
