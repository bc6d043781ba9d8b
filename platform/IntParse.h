// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>

#include <QStringView>

// Integer parsing for stored values and typed numbers: optional leading blanks, an optional sign,
// decimal digits or a hexadecimal number written "$1F" or "0x1F"; nothing may
// follow; the value must fit 32 bits. Anything else gives no value.
std::optional<int32_t> ParseInteger(QStringView text);
