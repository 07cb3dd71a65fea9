// The wallpaper command through the real executable: the picture written,
// and the usage errors named.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/images.h"
#include "support/test_support.h"

namespace kal {
namespace {

TEST(WallpaperCommand, DrawsThePictureAndRefusesBadOptions) {
  test::TempDir data;
  test::TempDir runtime;  // the single-instance marker stays out of the user's
  const auto kal = [&](const std::string& args, std::string* out) {
    return test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' " + KALENDRINA_EXE + " " + args +
                                " --data '" + data.path().string() + "' 2>&1",
                            out);
  };
  std::string out;
  ASSERT_EQ(kal("add 2024-05-16 Dentist", &out), 0) << out;
  const std::string photo = data.File("photo.png");
  ASSERT_TRUE(WritePng(Surface(100, 50, Rgb(30, 60, 90)), photo));
  const std::string png = data.File("wall.png");
  ASSERT_EQ(kal("wallpaper '" + png + "' --size 800x600 --style 10 --today 2024-05-15 --picture '" + photo + "'", &out),
            0)
      << out;
  Surface pic;
  ASSERT_TRUE(LoadImageFile(png, pic));
  EXPECT_EQ(pic.width(), 800);
  EXPECT_EQ(pic.height(), 600);
  EXPECT_EQ(pic.At(799, 599), Rgb(30, 60, 90));  // the picture, filled over the screen
  EXPECT_EQ(pic.At(60, 150), Rgb(255, 255, 255));  // a day under style 10's solid white
  EXPECT_FALSE(std::filesystem::exists(data.File("wallpaper.bmp")));  // nothing installed

  struct Row {
    std::string args;
    int status;
    std::string says;
  };
  const Row rows[] = {{"wallpaper", 1, "needs one output file"},
                      {"wallpaper a.png b.png", 1, "needs one output file"},
                      {"wallpaper a.png --style 22", 1, "--style must be 0 to 21"},
                      {"wallpaper a.png --size 800", 1, "--size must be WxH"},
                      {"wallpaper a.png --today 2024-02-30", 1, "--today must be a date"},
                      {"wallpaper a.png --placement zoom", 1, "--placement must be"},
                      {"wallpaper a.png --style", 1, "needs a value"}};
  for (const Row& r : rows) {
    EXPECT_EQ(kal(r.args, &out), r.status) << r.args;
    EXPECT_NE(out.find(r.says), std::string::npos) << r.args << ": " << out;
  }
}

}  // namespace
}  // namespace kal
