#include <iostream>

#include "gui/PressReleaseApp.h"
#include "gui/ProgramArguments.h"

wxIMPLEMENT_APP_NO_MAIN(PressReleaseApp);

// --help and --version are answered before the toolkit starts, so that they
// work without a display and never open a document of that name.
int main(int argc, char** argv)
{
    if (const std::optional<int> status = AnswerProgramOptions(argc, argv, std::cout, std::cerr))
        return *status;
    return wxEntry(argc, argv);
}
