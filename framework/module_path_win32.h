// The full path of the program file.
#pragma once

#include <string>

// The buffer grows until the path fits, so a long path is never cut off.
std::string ModulePath();
