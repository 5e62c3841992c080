#pragma once

#include <cstddef>
#include <string>

// Hands a file or a URL (mailto: included) to the desktop's default
// application and returns at once. No shell is involved.
bool OpenWithDesktop(const std::string& target);

// The longest request (a mailto: above all) that reaches the handler whole.
std::size_t MaxLaunchRequestBytes();
