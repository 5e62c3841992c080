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
