#include "core/checks/CheckReport.h"

namespace {

// Each message is the text before the value, the value and the text after
// it, joined as they stand; messages without a value ignore their slot.
struct CheckMessage {
    const char* before;
    bool carriesValue;
    const char* after;
};

const std::array<CheckMessage, kCheckBitCount>& CheckMessageTable()
{
    static const std::array<CheckMessage, kCheckBitCount> table = {{
        {"The feature text is too big. It shouldn't be longer than 20-30 words. It's ", true, " words."},
        {"The number of days for the trial version haven't been specified.", false, ""},
        {"The number of starts for the trial version haven't been specified.", false, ""},
        {"Please fill in the product name.", false, ""},
        {"Please enter a version number.", false, ""},
        {"You have selected 'Other' in the product type drop down menu, but haven't supplied a "
         "description in the 'Other' text field.",
         false, ""},
        {"Please enter a web page URL for the product.", false, ""},
        {"The web page ", true, " for the product doesn't respond."},
        {"Please enter a URL to the image.", false, ""},
        {"The image URL ", true, " doesn't respond."},
        {"You have used a bad format (", true,
         ") for the image. Please use TIF, JPG, GIF, BMP or PNG files only."},
        {"The size of the image (", true, " bytes) is too small - a high resolution image should be used."},
        {"Please enter a price.", false, ""},
        {"No currency has been specified for the price.", false, ""},
        {"Please supply an operating system.", false, ""},
        {"Please enter a contact email address.", false, ""},
        {"The contact email address, ", true, ",has a bad format."},
        {"Please enter a contact name.", false, ""},
        {"Please enter a company name.", false, ""},
        {"The features text contains bad words. Please rewrite the text and avoid words, such as ", true,
         " etc."},
        {"The features text is too short. Please supply more information.", false, ""},
    }};
    return table;
}

}  // namespace

int DescribeCheckErrors(CheckErrors errors, CheckMessages& messages, const CheckValues& values)
{
    int count = 0;
    for (int bit = 0; bit < kCheckBitCount; ++bit) {
        if ((errors & (CheckErrors{1} << bit)) == 0)
            continue;
        const CheckMessage& message = CheckMessageTable()[static_cast<std::size_t>(bit)];
        const std::size_t slot = static_cast<std::size_t>(count);
        std::string text = message.before;
        if (message.carriesValue)
            text += values[slot] + message.after;
        messages[slot] = std::move(text);
        ++count;
    }
    return count;
}

std::string CheckErrorsText(CheckErrors errors, const CheckValues& values)
{
    CheckMessages messages;
    const int count = DescribeCheckErrors(errors, messages, values);
    std::string text;
    for (int i = 0; i < count; ++i)
        text += messages[static_cast<std::size_t>(i)] + "\n";
    return text;
}
