// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain text as a JSON string, for the reports' JSON.

#include <string>

namespace measure {

// The text in quotes, with quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text);

} // namespace measure
