// The twelve categories: fixed colours and the names from the "categories"
// setting.
//
// The table is a MemBuffer of 4000 bytes holding 200-byte records, record k
// at 200 * k, zero-filled before the records are written:
//   32 colour (4, 0x00BBGGRR) | 36 text colour (4) | 40 name, zero-terminated (160)
// The same layout is that of the dialog input fields, so the options screen
// copies the table into the dialog transfer block to preload the name fields.
// The table belongs to the program state, is built at start-up and rebuilt
// after the names were edited.
//
// A record's category byte can hold up to 255 (an imported file may carry
// any value); every reader below treats a number outside 0-11 as category 0,
// so nothing ever reads past the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/surface.h"
#include "store/mem_buffer.h"

namespace kal {

inline constexpr int kCategoryCount = 12;
inline constexpr std::size_t kCategoryRecordSize = 200;
inline constexpr std::size_t kCategoryTableSize = 4000;
inline constexpr std::size_t kCategoryColourOffset = 32;
inline constexpr std::size_t kCategoryTextColourOffset = 36;
inline constexpr std::size_t kCategoryNameOffset = 40;
// The name field's bytes, terminator included: names keep at most 159 characters.
inline constexpr std::size_t kCategoryNameField = kCategoryRecordSize - kCategoryNameOffset;

struct CategoryTable {
  MemBuffer records;
  int count = 0;
};

// A record's category byte as every reader takes it: 12 and above read as 0.
inline int CategoryOfByte(int stored) { return stored >= 0 && stored < kCategoryCount ? stored : 0; }

// The fixed colour of a category (numbers outside 0-11 give category 0's).
Colour FixedCategoryColour(int category);

// Frees and rebuilds the table: fixed colours, their contrast text colours,
// and name k = field k + 1 of the setting split at "|". Missing fields give
// empty names, extra fields are ignored, longer names are cut to the field.
void BuildCategoryTable(CategoryTable& table, const std::string& categoriesSetting);

// The fields of a category's record; a number outside 0-11 reads category 0.
// An unbuilt table gives an empty name and colour 0.
std::string CategoryName(const CategoryTable& table, int category);
Colour CategoryColour(const CategoryTable& table, int category);
Colour CategoryTextColour(const CategoryTable& table, int category);

// Black on light backgrounds, near-white (250, 250, 250) on dark ones:
// brightness = sqrt(0.241 r² + 0.691 g² + 0.068 b²), light when above 137.
Colour ContrastTextColor(Colour background);

}  // namespace kal
