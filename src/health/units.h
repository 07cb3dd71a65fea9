// The two unit settings that change how health values are shown and how input
// without a unit word is read. Stored values never depend on them.
#pragma once

#include <cstdint>

namespace kal {

struct UnitModes {
  std::uint8_t weightMode = 0;  // 0 pounds, otherwise kilograms ("weight_mode")
  std::uint8_t lengthMode = 0;  // 0 inches, otherwise centimetres ("measure_mode")
};

}  // namespace kal
