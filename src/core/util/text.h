// Small text helpers shared by the settings, the dialogs' models and the CLI.
#pragma once

#include <string>
#include <vector>

namespace zelkor {

// The C library's atoi rules: leading white space, an optional sign, then
// decimal digits; anything else stops the number, and no digits give 0.
// Values beyond the 32-bit range saturate instead of overflowing.
int AtoiRules(const std::string& text);

// snprintf into a std::string.
#ifdef __MINGW32__
// MinGW's printf is the C99 one (__USE_MINGW_ANSI_STDIO), %zu included.
std::string Format(const char* fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#endif

std::string ToUpperAscii(std::string text);

// The first maxChars characters of a UTF-8 text, never cutting a
// character in half.
std::string Utf8Prefix(const std::string& text, size_t maxChars);

// Splits on '\n'. A text ending in '\n' yields a final empty piece, an
// empty text yields one empty piece.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace zelkor
