#include "store/categories.h"

#include <gtest/gtest.h>

#include <string>

#include "store/settings.h"

namespace kal {
namespace {

TEST(Categories, DefaultTableLayout) {
  CategoryTable t;
  BuildCategoryTable(t, kDefaultCategories);
  ASSERT_EQ(t.count, 12);
  ASSERT_EQ(t.records.size(), 4000u);
  EXPECT_EQ(CategoryName(t, 0), "Miscellaneous");
  EXPECT_EQ(CategoryName(t, 3), "Doctor Appointments");
  EXPECT_EQ(CategoryName(t, 11), "Jane Doe");
  EXPECT_EQ(CategoryColour(t, 3), Rgb(230, 30, 30));
  EXPECT_EQ(CategoryColour(t, 9), Rgb(239, 239, 16));
  EXPECT_EQ(CategoryTextColour(t, 9), Rgb(0, 0, 0));
  EXPECT_EQ(CategoryTextColour(t, 3), Rgb(250, 250, 250));

  // Record 3 byte by byte: colour E6 1E 1E 00 at 632, the name at 640, and
  // the unused first 32 bytes zero.
  const std::uint8_t* r = t.records.data() + 600;
  for (int i = 0; i < 32; ++i) EXPECT_EQ(r[i], 0) << i;
  EXPECT_EQ(r[32], 0xE6);
  EXPECT_EQ(r[33], 0x1E);
  EXPECT_EQ(r[34], 0x1E);
  EXPECT_EQ(r[35], 0x00);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 40)), "Doctor Appointments");
  // Nothing is written beyond the twelfth record.
  for (std::size_t i = 2400; i < 4000; ++i) ASSERT_EQ(t.records.data()[i], 0) << i;
}

TEST(Categories, NumbersOutsideTheTableReadCategoryZero) {
  CategoryTable t;
  BuildCategoryTable(t, kDefaultCategories);
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

TEST(Categories, MissingFieldsGiveEmptyNamesAndExtraFieldsAreIgnored) {
  CategoryTable t;
  BuildCategoryTable(t, "Home|Work");
  EXPECT_EQ(CategoryName(t, 0), "Home");
  EXPECT_EQ(CategoryName(t, 1), "Work");
  for (int k = 2; k < 12; ++k) EXPECT_EQ(CategoryName(t, k), "") << k;
  EXPECT_EQ(CategoryColour(t, 11), Rgb(255, 146, 26));

  BuildCategoryTable(t, std::string(11, '|'));
  for (int k = 0; k < 12; ++k) EXPECT_EQ(CategoryName(t, k), "") << k;

  BuildCategoryTable(t, "0|1|2|3|4|5|6|7|8|9|10|11|12|13");
  EXPECT_EQ(CategoryName(t, 11), "11");
  EXPECT_EQ(t.count, 12);
}

TEST(Categories, LongNamesStayInsideTheirRecord) {
  CategoryTable t;
  BuildCategoryTable(t, std::string(300, 'n') + "|Second");
  EXPECT_EQ(CategoryName(t, 0), std::string(159, 'n'));
  EXPECT_EQ(CategoryName(t, 1), "Second");
  EXPECT_EQ(CategoryColour(t, 1), Rgb(110, 110, 110));
}

TEST(ContrastTextColor, LightBackgroundsGetBlackText) {
  const Colour nearWhite = Rgb(250, 250, 250);
  EXPECT_EQ(ContrastTextColor(Rgb(239, 239, 16)), 0u);    // yellow
  EXPECT_EQ(ContrastTextColor(Rgb(255, 146, 26)), 0u);    // orange
  EXPECT_EQ(ContrastTextColor(Rgb(0, 0, 255)), nearWhite);  // blue
  EXPECT_EQ(ContrastTextColor(Rgb(34, 116, 198)), nearWhite);
  EXPECT_EQ(ContrastTextColor(Rgb(230, 30, 30)), nearWhite);  // red
  // Greys sit on the threshold of 137 exactly, the weights summing to one.
  EXPECT_EQ(ContrastTextColor(Rgb(136, 136, 136)), nearWhite);
  EXPECT_EQ(ContrastTextColor(Rgb(138, 138, 138)), 0u);
  // Green weighs most, blue least.
  EXPECT_EQ(ContrastTextColor(Rgb(0, 180, 0)), 0u);
  EXPECT_EQ(ContrastTextColor(Rgb(0, 0, 250)), nearWhite);
}

}  // namespace
}  // namespace kal
