#pragma once

// Standard input as a descriptor that passes on every byte as it was sent:
// StandardInputPosix.cpp and StandardInputWindows.cpp, chosen in CMake.
int StandardInputBytes();
