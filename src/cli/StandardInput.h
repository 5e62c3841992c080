#pragma once

#include <cstddef>
#include <string>

#include "core/Result.h"

// Standard input as the bytes that were sent, up to maxBytes and one byte
// past it (it may be endless, /dev/zero): StandardInputPosix.cpp and
// StandardInputWindows.cpp, chosen in CMake.
Result<std::string> ReadStandardInput(std::size_t maxBytes);
