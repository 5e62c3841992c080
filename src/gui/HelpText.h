#pragma once

inline constexpr const char* kAboutCaption = "About Vantrel";
inline constexpr const char* kAboutText =
    "Vantrel forces you to provide all the information the press wants\n"
    "to obtain when you release a software product. The tool checks whether files\n"
    "stored on the Internet are accessible.\n"
    "\n"
    "Vantrel then writes the press release for you and creates an email\n"
    "containing all the correct receivers in the header and an email body\n"
    "containing the text.";
inline constexpr const char* kManualFileName = "manVantrel.pdf";

// The toolkit's about box.
inline constexpr const char* kAboutSummary =
    "Checks a software release form, writes its press release and delivers it.";
inline constexpr const char* kCopyright = "Copyright \u00a9 Tarsel Software";
inline constexpr const char* kLicence =
    "Vantrel is proprietary software of Tarsel Software.\n"
    "You may use it as your licence agreement with Tarsel Software allows.";
inline constexpr const char* kHomePage = "https://www.tarsel.example/vantrel";
