#include "store/categories.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "store/settings.h"

namespace kal {
namespace {

TEST(Categories, DefaultTableByteForByteAndOutOfRangeNumbers) {
  CategoryTable t;
  BuildCategoryTable(t, kDefaultCategories);
  ASSERT_EQ(t.count, 12);
  ASSERT_EQ(t.records.size(), 4000u);
  EXPECT_EQ(CategoryName(t, 11), "Jane Doe");
  EXPECT_EQ(CategoryColour(t, 9), Rgb(239, 239, 16));
  EXPECT_EQ(CategoryTextColour(t, 9), Rgb(0, 0, 0));
  EXPECT_EQ(CategoryTextColour(t, 3), Rgb(250, 250, 250));
  // Record 3: 32 zero bytes, colour E6 1E 1E 00, then the name at 40.
  const std::uint8_t* r = t.records.data() + 600;
  for (int i = 0; i < 32; ++i) EXPECT_EQ(r[i], 0) << i;
  EXPECT_EQ(std::vector<std::uint8_t>(r + 32, r + 36), (std::vector<std::uint8_t>{0xE6, 0x1E, 0x1E, 0x00}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 40)), "Doctor Appointments");
  for (std::size_t i = 2400; i < 4000; ++i) ASSERT_EQ(t.records.data()[i], 0) << i;

  for (const int n : {12, 19, 255, 100000, -1}) {
    EXPECT_EQ(CategoryName(t, n), "Miscellaneous") << n;
    EXPECT_EQ(CategoryColour(t, n), Rgb(200, 200, 200)) << n;
    EXPECT_EQ(CategoryTextColour(t, n), Rgb(0, 0, 0)) << n;
  }
  EXPECT_EQ(FixedCategoryColour(20), Rgb(200, 200, 200));
  CategoryTable unbuilt;
  EXPECT_EQ(CategoryName(unbuilt, 3), "");
  EXPECT_EQ(CategoryColour(unbuilt, 3), 0u);
}

TEST(Categories, MissingExtraAndOverlongNames) {
  CategoryTable t;
  BuildCategoryTable(t, "Home|Work");
  EXPECT_EQ(CategoryName(t, 1), "Work");
  for (int k = 2; k < 12; ++k) EXPECT_EQ(CategoryName(t, k), "") << k;
  EXPECT_EQ(CategoryColour(t, 11), Rgb(255, 146, 26));
  BuildCategoryTable(t, "0|1|2|3|4|5|6|7|8|9|10|11|12|13");
  EXPECT_EQ(CategoryName(t, 11), "11");
  EXPECT_EQ(t.count, 12);
  BuildCategoryTable(t, std::string(300, 'n') + "|Second");
  EXPECT_EQ(CategoryName(t, 0), std::string(159, 'n'));
  EXPECT_EQ(CategoryName(t, 1), "Second");
}

TEST(ContrastTextColor, LightBackgroundsGetBlackText) {
  const Colour white = Rgb(250, 250, 250);
  // Greys sit on the threshold of 137; green weighs most, blue least.
  const std::vector<std::pair<Colour, Colour>> rows = {
      {Rgb(239, 239, 16), 0u}, {Rgb(255, 146, 26), 0u}, {Rgb(0, 0, 255), white},     {Rgb(34, 116, 198), white},
      {Rgb(230, 30, 30), white}, {Rgb(136, 136, 136), white}, {Rgb(138, 138, 138), 0u}, {Rgb(0, 180, 0), 0u}};
  for (const auto& [background, text] : rows) EXPECT_EQ(ContrastTextColor(background), text) << background;
}

}  // namespace
}  // namespace kal
