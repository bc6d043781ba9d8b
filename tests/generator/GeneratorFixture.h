// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A generator state with its tables allocated for the test's lifetime.

#include <gtest/gtest.h>

#include "generator/Synthesis.h"

class GeneratorTest : public ::testing::Test {
protected:
  GeneratorTest() { AllocateGenTables(State); }
  ~GeneratorTest() override { FreeGenTables(State); }

  static GenSource Off() { return {false, 50, false, false}; }

  GeneratorState State;
  GenSources Sources{Off(), Off(), Off(), Off()};
};
