#include "store/categories.h"

#include <array>
#include <cmath>
#include <string_view>

namespace kal {

namespace {

constexpr std::array<Colour, kCategoryCount> kFixedColours = {
    Rgb(200, 200, 200), Rgb(110, 110, 110), Rgb(128, 64, 64),  Rgb(230, 30, 30),
    Rgb(180, 50, 180),  Rgb(251, 145, 198), Rgb(34, 116, 198), Rgb(100, 225, 225),
    Rgb(0, 160, 0),     Rgb(239, 239, 16),  Rgb(169, 143, 41), Rgb(255, 146, 26),
};

int Clamp(int category) { return CategoryOfByte(category); }

std::size_t RecordOffset(int category) { return kCategoryRecordSize * static_cast<std::size_t>(Clamp(category)); }

}  // namespace

Colour FixedCategoryColour(int category) { return kFixedColours[static_cast<std::size_t>(Clamp(category))]; }

Colour ContrastTextColor(Colour background) {
  const double r = RedOf(background);
  const double g = GreenOf(background);
  const double b = BlueOf(background);
  const double brightness = std::sqrt(0.241 * r * r + 0.691 * g * g + 0.068 * b * b);
  return brightness > 137.0 ? Rgb(0, 0, 0) : Rgb(250, 250, 250);
}

void BuildCategoryTable(CategoryTable& table, const std::string& categoriesSetting) {
  BufFree(table.records);
  table.count = 0;
  BufAlloc(kCategoryTableSize, table.records);
  if (table.records.empty()) return;
  FillBytes(table.records, 0, kCategoryTableSize, 0);

  std::string_view rest = categoriesSetting;
  bool more = true;
  for (int k = 0; k < kCategoryCount; ++k) {
    std::string_view name;
    if (more) {
      const std::size_t bar = rest.find('|');
      name = rest.substr(0, bar);
      if (bar == std::string_view::npos) {
        more = false;
      } else {
        rest.remove_prefix(bar + 1);
      }
    }
    // A name longer than its field would run into the next record.
    if (name.size() > kCategoryNameField - 1) name = name.substr(0, kCategoryNameField - 1);
    const std::size_t base = RecordOffset(k);
    const Colour colour = kFixedColours[static_cast<std::size_t>(k)];
    SetLong(table.records, base + kCategoryColourOffset, static_cast<std::int32_t>(colour));
    SetLong(table.records, base + kCategoryTextColourOffset, static_cast<std::int32_t>(ContrastTextColor(colour)));
    PutZText(table.records, base + kCategoryNameOffset, name);
  }
  table.count = kCategoryCount;
}

std::string CategoryName(const CategoryTable& table, int category) {
  std::string name;
  const std::size_t base = RecordOffset(category) + kCategoryNameOffset;
  if (table.records.Holds(base, kCategoryNameField)) {
    GetBytes(table.records, base, kCategoryNameField, name);
    name = name.substr(0, name.find('\0'));
  }
  return name;
}

Colour CategoryColour(const CategoryTable& table, int category) {
  return static_cast<Colour>(Long(table.records, RecordOffset(category) + kCategoryColourOffset));
}

Colour CategoryTextColour(const CategoryTable& table, int category) {
  return static_cast<Colour>(Long(table.records, RecordOffset(category) + kCategoryTextColourOffset));
}

}  // namespace kal
