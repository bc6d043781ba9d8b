#pragma once
#include <QString>

// printf-style formatting of one number with the user's decimal separator
// ("%2.2f" of -90.309 is "-90.31", or "-90,31" under a locale with a comma).
QString FormatFloat(const char* format, double value);
