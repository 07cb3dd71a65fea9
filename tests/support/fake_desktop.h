// A desktop wallpaper store in memory: what it shows, and every picture the
// program installed, in order.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop_wallpaper.h"

namespace kal::test {

struct FakeDesktop : DesktopWallpaper {
  std::string Name() const override { return "fake"; }
  DesktopBackground Read() override {
    ++reads;
    return shown;
  }
  bool SetPicture(const std::string& file) override {
    installed.push_back(file);
    if (!refuse) shown.picture = file;
    return !refuse;
  }
  DesktopBackground shown;
  std::vector<std::string> installed;
  int reads = 0;
  bool refuse = false;
};

}  // namespace kal::test
