#pragma once

#include <string>

// How the form is drawn for the desktop's theme. The labels are pixels of
// a picture, so the picture has to suit the fields the theme draws on it.
enum class FormLook {
    LightPicture,  // the light picture with dark labels, for light fields
    DarkPicture,  // the same picture dark, with light labels, for dark fields
    SystemColours,  // no picture: the theme's own colours, labels drawn as text
};

struct ThemeColour {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
};

// themeName: the theme as the desktop names it (GTK's "HighContrast" or
// "Adwaita:dark"), empty where there is none; highContrast: the desktop
// says so itself (Windows); fieldBackground: what the theme puts behind
// the text of a field. A high contrast theme gets its own colours, since
// a soft gradient is what it is chosen against.
FormLook ChooseFormLook(const std::string& themeName, bool highContrast, ThemeColour fieldBackground);
