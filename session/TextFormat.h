// printf-style formatting into a std::string of whatever length the text
// needs, so that no caller has a fixed buffer to overflow.
#pragma once

#include <cstdarg>
#include <string>

std::string FormatTextV(const char* format, va_list args);
