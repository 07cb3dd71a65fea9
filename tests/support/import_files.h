// Builds "event10.dat" and "corvit10.dat" files byte by byte from their
// layouts, for the import tests and the fuzz seeds.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "import/import_common.h"

namespace kal::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe(Bytes& b, std::size_t at, std::uint32_t v, int size) {
  if (b.size() < at + static_cast<std::size_t>(size)) b.resize(at + static_cast<std::size_t>(size), 0);
  for (int i = 0; i < size; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Byte by byte: GCC 12 at -O3 misreads a range insert into a fresh 16-byte
// vector as a copy out of bounds.
inline void Append(Bytes& to, const Bytes& more) {
  to.reserve(to.size() + more.size());
  for (const std::uint8_t byte : more) to.push_back(byte);
}

inline Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) Append(b, p);
  return b;
}

// A damaged file and what reading it should give.
struct DamageCase {
  const char* what;
  Bytes file;
  std::uint32_t imported;
  std::uint64_t skippedBytes;
  std::uint32_t places;

  void Expect(const ImportResult& r) const {
    EXPECT_EQ(r.imported, imported) << what;
    EXPECT_EQ(r.damage.bytes, skippedBytes) << what;
    EXPECT_EQ(r.damage.stretches, places) << what;
  }
};

struct OldRecord {
  int year = 2009, month = 3, day = 14;
  int startHour = 9, startMinute = 30, endHour = 10, endMinute = 45;
  int code = 0;
  int red = 190, green = 190, blue = 190;
  std::string text = "Dentist";
  int secondDay = -1;  // -1: the same date twice

  Bytes Build() const {
    Bytes b(40 + text.size(), 0xEE);  // 0xEE: bytes the reader must not use
    PutLe(b, 4, static_cast<std::uint32_t>(year), 2);
    b[6] = static_cast<std::uint8_t>(month);
    b[7] = static_cast<std::uint8_t>(day);
    b[8] = static_cast<std::uint8_t>(startHour);
    b[9] = static_cast<std::uint8_t>(startMinute);
    PutLe(b, 12, static_cast<std::uint32_t>(year), 2);
    b[14] = static_cast<std::uint8_t>(month);
    b[15] = static_cast<std::uint8_t>(secondDay < 0 ? day : secondDay);
    b[16] = static_cast<std::uint8_t>(endHour);
    b[17] = static_cast<std::uint8_t>(endMinute);
    b[20] = static_cast<std::uint8_t>(code);
    b[24] = static_cast<std::uint8_t>(red);
    b[25] = static_cast<std::uint8_t>(green);
    b[26] = static_cast<std::uint8_t>(blue);
    b[27] = 0;
    std::copy(text.begin(), text.end(), b.begin() + 40);
    PutLe(b, 0, static_cast<std::uint32_t>(b.size()), 4);
    return b;
  }
};

// The type-specific part of a diary record.
class Body {
 public:
  Body& Byte(int v) { return Add(v, 1); }
  Body& Word(int v) { return Add(v, 2); }
  Body& Text(std::string_view t) {
    bytes_.push_back(static_cast<std::uint8_t>(t.size()));
    bytes_.insert(bytes_.end(), t.begin(), t.end());
    return *this;
  }
  Body& Texts(std::initializer_list<std::string_view> texts) {
    for (std::string_view t : texts) Text(t);
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Body& Add(int v, int size) {
    PutLe(bytes_, bytes_.size(), static_cast<std::uint32_t>(v), size);
    return *this;
  }
  Bytes bytes_;
};

inline Bytes DiaryRecordBytes(int person, int type, int year, int month, int day, const Body& body = {}) {
  Bytes b(16, 0);
  b[4] = 'C';
  b[5] = 'V';
  b[6] = 'R';
  b[7] = 'S';
  PutLe(b, 8, static_cast<std::uint32_t>(person), 2);
  PutLe(b, 10, static_cast<std::uint32_t>(type), 2);
  PutLe(b, 12, static_cast<std::uint32_t>(year), 2);
  b[14] = static_cast<std::uint8_t>(month);
  b[15] = static_cast<std::uint8_t>(day);
  Append(b, body.bytes());
  PutLe(b, 0, static_cast<std::uint32_t>(b.size()), 4);
  return b;
}

inline Bytes PersonRecord(int id, std::string_view first, std::string_view last, std::string_view gender) {
  return DiaryRecordBytes(id, 0, 0, 0, 0, Body().Texts({first, "unused", last, gender}));
}

}  // namespace kal::test
