#include <gtest/gtest.h>

#include "core/form/FormLook.h"

namespace {

struct LookCase {
    const char* theme;
    bool highContrast;
    ThemeColour field;
    FormLook expected;
};

constexpr ThemeColour kWhite{255, 255, 255};
constexpr ThemeColour kBlack{0, 0, 0};

TEST(FormLookTest, PictureOrSystemColoursByTheme)
{
    const LookCase cases[] = {
        {"Adwaita", false, kWhite, FormLook::LightPicture},
        {"Adwaita:dark", false, {45, 45, 45}, FormLook::DarkPicture},
        {"Adwaita-dark", false, {45, 45, 45}, FormLook::DarkPicture},
        // A dark theme is known by its fields, whatever its name.
        {"Yaru", false, {48, 48, 48}, FormLook::DarkPicture},
        {"", false, kWhite, FormLook::LightPicture},
        {"HighContrast", false, kWhite, FormLook::SystemColours},
        {"HighContrastInverse", false, kBlack, FormLook::SystemColours},
        {"HighContrast:dark", false, kBlack, FormLook::SystemColours},
        {"Adwaita-high-contrast", false, kWhite, FormLook::SystemColours},
        {"ContrastHigh", false, kWhite, FormLook::SystemColours},
        // Windows says it outright and has no theme name.
        {"", true, kWhite, FormLook::SystemColours},
        {"", true, kBlack, FormLook::SystemColours},
        // The bound: a brightness of 127 is dark, 128 light. Green weighs most,
        // blue least: pure blue is dark, pure green light.
        {"Adwaita", false, {127, 127, 127}, FormLook::DarkPicture},
        {"Adwaita", false, {128, 128, 128}, FormLook::LightPicture},
        {"Adwaita", false, {0, 0, 255}, FormLook::DarkPicture},
        {"Adwaita", false, {0, 255, 0}, FormLook::LightPicture},
        {"Adwaita", false, {255, 0, 0}, FormLook::DarkPicture},
    };
    for (const LookCase& c : cases) {
        EXPECT_EQ(ChooseFormLook(c.theme, c.highContrast, c.field), c.expected)
            << c.theme << " " << c.highContrast << " " << int(c.field.red) << "," << int(c.field.green) << ","
            << int(c.field.blue);
    }
}

}  // namespace
