#pragma once

#include <string>

// Hands a file or a URL (mailto: included) to the desktop's default
// application and returns at once. No shell is involved.
bool OpenWithDesktop(const std::string& target);
