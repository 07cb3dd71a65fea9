// The texts of a health reading's summary: its title and every line and
// figure, in the order the summary panel draws them. The panel and the
// command line's `summary` both print these, so they never disagree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "health/units.h"
#include "store/mem_buffer.h"

namespace kal {

// One shown text: what it is (the command line's name) and what it says.
// Headlines are split into their label and value, drawn in two colours.
struct SummaryLine {
  std::string name;
  std::string label;  // e.g. "Your Body Mass Index (BMI) is: "; empty for a plain line
  std::string value;  // e.g. "27.8"
  std::string Text() const { return label + value; }
};

// What a body fat, index or ratio that cannot be formed shows instead of a figure.
inline constexpr const char* kNotComputable = "cannot be computed from these measurements";

// Every text and figure of the summary of the record at `offset`: first its
// title, then the lines in the order drawn. Kinds without a summary give none.
std::vector<SummaryLine> SummaryTexts(const MemBuffer& record, std::size_t offset, const UnitModes& units);

// "Weight Management Summary For March 01, 2024", "Blood Pressure For ..." ...
std::string SummaryTitle(std::uint32_t kind, std::int32_t packedDate);

}  // namespace kal
