// SPDX-License-Identifier: GPL-3.0-or-later
// The audio tests run against a real sound server with a Qt event loop on the
// test's thread, which receives the device notifications.

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
