#pragma once
// The oscilloscope's drawing: plain samples and settings in, pixels of
// ScopeBitmap out.

#include <cstdint>

// The traces' trigger levels, their shifts and where each trace starts.
struct ScopeState {
  int32_t TrigLevelR = 0, TrigLevelL = 0;
  int32_t ScopeShiftR = 0, ScopeShiftL = 0;
  int32_t ScopeShiftR0 = 0, ScopeShiftL0 = 0; // the shifts when a drag started
  int32_t ScopeStartR = 0, ScopeStartL = 0;
};
