#include "gui/ProgramArguments.h"

#include <ostream>
#include <string_view>

std::optional<int> AnswerProgramOptions(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    if (argc < 2 || argv[1][0] != '-' || argv[1] == std::string_view("-"))
        return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--help" || option == "-h") {
        out << "Usage: vantrel [DOCUMENT.pre]\n"
               "Opens the press release form, with DOCUMENT or the document used last.\n"
               "For scripts without a window see vantrel-cli --help.\n";
    } else if (option == "--version") {
        out << "vantrel " << VANTREL_VERSION << '\n';
    } else {
        err << "vantrel: unknown option " << option << " (see vantrel --help)\n";
        return 2;
    }
    out.flush();
    return out ? 0 : 1;
}
