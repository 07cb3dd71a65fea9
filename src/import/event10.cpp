#include "import/event10.h"

#include <algorithm>
#include <array>

#include "store/event_record.h"

namespace kal {

std::uint8_t RepeatModeFromOld(std::uint8_t oldCode) {
  static constexpr std::array<std::uint8_t, 22> kModes = {0,  1,  1,  5,  11, 15, 16, 17, 18, 19, 20,
                                                          22, 23, 24, 25, 26, 12, 2,  3,  4,  6,  7};
  return oldCode < kModes.size() ? kModes[oldCode] : 0;
}

std::uint8_t CategoryFromColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  struct Entry {
    std::uint8_t r, g, b, category;
  };
  static constexpr Entry kTable[] = {{190, 190, 190, 0}, {190, 140, 130, 1}, {250, 90, 90, 2},
                                     {230, 170, 230, 3}, {240, 20, 240, 4},  {0, 200, 200, 6},
                                     {0, 210, 0, 8},     {230, 230, 0, 9},   {240, 150, 100, 11}};
  for (const Entry& e : kTable) {
    if (e.r == red && e.g == green && e.b == blue) return e.category;
  }
  return 0;
}

void ReadEvent10(ImportBytes bytes, const std::function<void(std::size_t, const OldEvent&)>& visit,
                 CorruptionReporter* reporter) {
  const std::size_t size = bytes.size();
  std::size_t p = 0;
  while (p < size) {
    if (size - p < 4) {
      if (reporter != nullptr) reporter->Corruption(size - p, "bytes after the last record");
      return;
    }
    const std::uint32_t declared = FieldAt(bytes, p, 4);
    const std::size_t length = std::min<std::size_t>(declared, size - p);
    // A zero or negative length cannot say where the next record starts.
    if (static_cast<std::int32_t>(declared) < static_cast<std::int32_t>(kEvent10Fixed) || length < kEvent10Fixed) {
      if (reporter != nullptr) reporter->Corruption(size - p, "record length too short");
      return;
    }
    if (length < declared && reporter != nullptr) reporter->Corruption(0, "record cut at the end of the file");
    const ImportBytes r = bytes.subspan(p, length);
    OldEvent e;
    e.year = static_cast<std::int32_t>(FieldAt(r, 4, 2));
    e.month = r[6];
    e.day = r[7];
    e.startHour = r[8];
    e.startMinute = r[9];
    e.secondYear = static_cast<std::int32_t>(FieldAt(r, 12, 2));
    e.secondMonth = r[14];
    e.secondDay = r[15];
    e.endHour = r[16];
    e.endMinute = r[17];
    e.oldRepeat = r[20];
    e.red = r[24];
    e.green = r[25];
    e.blue = r[26];
    e.text.assign(reinterpret_cast<const char*>(r.data()) + kEvent10Fixed, length - kEvent10Fixed);
    visit(p, e);
    p += length;
  }
}

ImportResult AppendEvent10(EventStore& s, ImportBytes bytes, const ImportProgress& progress) {
  ImportResult result;
  std::int32_t nextGroupId = -1;
  ReadEvent10(
      bytes,
      [&](std::size_t offset, const OldEvent& e) {
        if (progress) progress("Importing Events", "", offset, bytes.size());
        if (e.secondYear != e.year || e.secondMonth != e.month || e.secondDay != e.day ||
            !ImportableDate(e.year, e.month, e.day)) {
          ++result.skipped;
          return;
        }
        StartImportedRecord(s, kKindGeneric, CategoryFromColour(e.red, e.green, e.blue), e.year, e.month, e.day,
                            nextGroupId);
        SetByte(s.workRecord, rec::kRepeatMode, RepeatModeFromOld(e.oldRepeat));
        SetByte(s.workRecord, rec::kStartHour, e.startHour);
        SetByte(s.workRecord, rec::kStartMinute, e.startMinute);
        SetByte(s.workRecord, rec::kEndHour, e.endHour);
        SetByte(s.workRecord, rec::kEndMinute, e.endMinute);
        const std::size_t room = kWorkRecordSize - rec::kGenericFixed;
        if (e.text.size() > room) result.damage.Corruption(e.text.size() - room, "text longer than a record holds");
        FinishImportedRecord(s, rec::kGenericText, rec::kGenericFixed, e.text);
        AppendImported(s, true);
        ++result.imported;
      },
      &result.damage);
  if (progress) progress("Importing Events", "", bytes.size(), bytes.size());
  return result;
}

}  // namespace kal
