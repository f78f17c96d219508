#pragma once
// printf-style formatting into a std::string (the message texts of the
// program are printf formats).
#include <string>

std::string strFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
