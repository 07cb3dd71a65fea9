// Loading, saving and group generation at 1,000, 10,000 and 100,000 records.
//
// SaveEvents is compared with a baseline measured in the same run: sorting the
// same precomputed keys with std::sort and writing the same bytes to a file.
// The ratio is printed at the end; at 100,000 records it must stay within 3.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_records.h"
#include "bench_report.h"
#include "calendar/repeat.h"
#include "calendar/sort_key.h"
#include "store/event_store.h"

namespace {

using kal::EventStore;
using kal::bench::Dir;
using kal::bench::RatioReporter;
using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes Record(std::uint8_t kind, std::uint32_t fixed, std::uint32_t textAt, const std::string& text,
             std::int32_t date, std::uint32_t id, std::mt19937& rng) {
  Bytes b(fixed + text.size(), 0);
  Put(b, 0, static_cast<std::uint32_t>(b.size()), 4);
  b[4] = kind;
  b[5] = static_cast<std::uint8_t>(rng() % 12);
  Put(b, 8, static_cast<std::uint32_t>(date), 4);
  Put(b, 16, id, 4);
  Put(b, 20, id / 150, 4);
  std::copy(text.begin(), text.end(), b.begin() + textAt);
  Put(b, b.size() - 2, kal::kEndMarker, 2);
  return b;
}

// A file the way users grow it: mostly repeating generic events, some health readings.
Bytes RealisticFile(std::size_t count, unsigned seed) {
  static const char* words[] = {"Dentist", "Team meeting", "Pay rent", "Birthday party", "Call mum",
                                "Gym", "Recycling day", "Doctor", "Anniversary dinner", "Project review"};
  std::mt19937 rng(seed);
  Bytes file;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t date = kal::PackDate(2000 + static_cast<int>(rng() % 40), 1 + static_cast<int>(rng() % 12),
                                            1 + static_cast<int>(rng() % 28));
    std::string text = words[rng() % 10];
    if (rng() % 4 == 0) text += " with a longer note about what to bring and whom to call first";
    Bytes r;
    const unsigned pick = rng() % 10;
    if (pick < 7) {
      r = Record(kal::kKindGeneric, 32, 30, text, date, i, rng);
      r[24] = static_cast<std::uint8_t>(rng() % 16);
      r[26] = rng() % 2 ? static_cast<std::uint8_t>(rng() % 24) : 255;
      r[27] = static_cast<std::uint8_t>((rng() % 12) * 5);
      r[28] = 99;
    } else if (pick == 7) {
      r = Record(kal::kKindWeight, 52, 50, "Morning", date, i, rng);
      Put(r, 28, 60000 + rng() % 40000, 4);
      Put(r, 32, 1600 + rng() % 300, 2);
    } else if (pick == 8) {
      r = Record(kal::kKindBloodPressure, 36, 32, std::string("Home\0After walk\0", 16), date, i, rng);
      Put(r, 26, 110 + rng() % 40, 2);
      Put(r, 28, 70 + rng() % 20, 2);
    } else {
      r = Record(kal::kKindGlucose, 28, 26, "Fasting", date, i, rng);
      Put(r, 24, 80 + rng() % 60, 2);
    }
    file.insert(file.end(), r.begin(), r.end());
  }
  return file;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

const Bytes& FileFor(std::size_t n) {
  static std::map<std::size_t, Bytes> cache;
  auto it = cache.find(n);
  if (it == cache.end()) it = cache.emplace(n, RealisticFile(n, 7)).first;
  return it->second;
}

void BM_LoadEvents(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  EventStore s;
  s.eventFile = Dir().File("load.dat");
  WriteFile(s.eventFile, FileFor(n));
  for (auto _ : state) {
    kal::LoadEvents(s);
    benchmark::DoNotOptimize(s.indexCount);
  }
}

void BM_SaveEvents(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  EventStore s;
  s.eventFile = Dir().File("save.dat");
  kal::UnitModes units;
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(s.eventFile, FileFor(n));  // unsorted, as after an import
    kal::LoadEvents(s);
    state.ResumeTiming();
    kal::SaveEvents(s, kal::RecordSortKeys(units), kal::SilentHost());
  }
}

// The everyday save: a sorted file plus one edited record.
void BM_SaveEventsAfterEdit(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  EventStore s;
  s.eventFile = Dir().File("edit.dat");
  kal::UnitModes units;
  WriteFile(s.eventFile, FileFor(n));
  kal::LoadEvents(s);
  kal::SaveEvents(s, kal::RecordSortKeys(units), kal::SilentHost());
  for (auto _ : state) {
    state.PauseTiming();
    kal::PrepareWorkRecord(s, kal::kKindGeneric, 3, kal::PackDate(2024, 5, 5));
    kal::AppendRecord(s);
    kal::DeleteRecord(s, s.storeSize - 32);
    state.ResumeTiming();
    kal::SaveEvents(s, kal::RecordSortKeys(units), kal::SilentHost());
  }
}

// Sorting the same keys, precomputed, and writing the same bytes.
void BM_SortAndWriteBaseline(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  EventStore s;
  s.eventFile = Dir().File("baseline-src.dat");
  WriteFile(s.eventFile, FileFor(n));
  kal::LoadEvents(s);
  kal::UnitModes units;
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  for (std::uint32_t i = 0; i < s.indexCount; ++i) {
    keys.emplace_back(kal::RecordSortKey(s, kal::IndexOffset(s, i), units), kal::IndexOffset(s, i));
  }
  const std::string out = Dir().File("baseline.dat");
  for (auto _ : state) {
    state.PauseTiming();
    auto work = keys;
    state.ResumeTiming();
    std::sort(work.begin(), work.end());
    std::FILE* f = std::fopen(out.c_str(), "wb");
    for (const auto& [key, off] : work) std::fwrite(s.store.data() + off, 1, kal::RecordLength(s, off), f);
    std::fclose(f);
  }
}

void BM_GenerateGroup(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  EventStore s;
  s.eventFile = Dir().File("group.dat");
  WriteFile(s.eventFile, FileFor(n));
  kal::LoadEvents(s);
  const std::uint32_t base = s.storeSize;
  for (auto _ : state) {
    state.PauseTiming();
    s.storeSize = base;
    kal::PrepareWorkRecord(s, kal::kKindGeneric, 7, kal::PackDate(2024, 5, 31));
    kal::SetByte(s.workRecord, kal::rec::kRepeatMode, 8);  // monthly, weekday after: consults holidays
    state.ResumeTiming();
    kal::GenerateGroup(s, 150);
  }
}

}  // namespace

BENCHMARK(BM_LoadEvents)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveEvents)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveEventsAfterEdit)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortAndWriteBaseline)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GenerateGroup)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* n : {"1000", "10000", "100000"}) {
    const std::string save = std::string("BM_SaveEvents/") + n + "/real_time";
    const std::string base = std::string("BM_SortAndWriteBaseline/") + n + "/real_time";
    if (reporter.times.count(save) && reporter.times.count(base) && reporter.times[base] > 0) {
      std::printf("SaveEvents / (std::sort + write) at %s records: %.2f\n", n,
                  reporter.times[save] / reporter.times[base]);
    }
  }
  benchmark::Shutdown();
  return 0;
}
