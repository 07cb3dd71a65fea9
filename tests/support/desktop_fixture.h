// The fixture of tests that run the real program on a private X server: one
// Xvfb per test program, a data folder and a runtime folder per test, and no
// session bus (a test that wants one starts its own).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "support/xvfb.h"

namespace kal::test {

class DesktopFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new XServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    setenv("DISPLAY", server_->display().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // The user's own desktop services must never be reached from a test.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::filesystem::create_directory(runtime.path() / "run");
    setenv("XDG_RUNTIME_DIR", (runtime.path() / "run").c_str(), 1);
  }
  std::vector<std::string> DataArgs(const std::vector<std::string>& more = {}) const {
    std::vector<std::string> args = more;
    args.insert(args.end(), {"--data", data.path().string()});
    return args;
  }

  inline static XServer* server_ = nullptr;
  TempDir data;
  TempDir runtime;
};

}  // namespace kal::test
