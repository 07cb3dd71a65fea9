// The summaries and trend charts: their texts, where markers and value boxes
// land on a drawn panel, and a whole run that opens a summary, its trend
// chart, and closes both with "OK". The gallery pictures come from here.
#include "screens/health_summary.h"

#include <gtest/gtest.h>

#include "calendar/sort_key.h"
#include "frame_run.h"
#include "platform/images.h"
#include "screens/application.h"
#include "screens/trend_chart.h"
#include "support/record_builder.h"
#include "ui/ui_fixture.h"

namespace kal {
namespace {

using test::Packed;

const std::int32_t kDay = Packed(2024, 3, 1);

struct Weight {
  int age = 40, gender = 1, activity = 2;
  std::uint32_t grams = 90000, height = 1800, waist = 940, hips = 1000, neck = 400;
};

std::vector<std::uint8_t> WeightBytes(const Weight& w, int category = 0, std::int32_t date = kDay) {
  return test::RecordBytes(kKindWeight, date, rec::kWeightFixed)
      .Byte(rec::kCategory, category).Byte(rec::kAge, w.age).Byte(rec::kGender, w.gender)
      .Byte(rec::kActivity, w.activity).Long(rec::kWeight, w.grams).Word(rec::kHeight, w.height)
      .Word(rec::kChest, 1000).Word(rec::kWaist, w.waist).Word(rec::kHips, w.hips).Word(rec::kNeck, w.neck)
      .Word(rec::kUpperArm, 330).Word(rec::kForearm, 280).Word(rec::kWrist, 170).Word(rec::kThigh, 560)
      .Text("Morning").Finish();
}

std::vector<std::uint8_t> ReadingBytes(RecordKind kind, std::vector<std::uint32_t> readings, int category = 0,
                                       std::int32_t date = kDay) {
  if (kind == kKindBloodPressure) {
    return test::RecordBytes(kind, date, rec::kPressureFixed).Byte(rec::kCategory, category)
        .Word(rec::kSystolic, readings[0]).Word(rec::kDiastolic, readings[1]).Word(rec::kPulse, 70)
        .Text(std::string("Home\0After the walk\0", 20)).Finish();
  }
  if (kind == kKindCholesterol) {
    return test::RecordBytes(kind, date, rec::kCholesterolFixed).Byte(rec::kCategory, category)
        .Word(rec::kTotal, readings[0]).Word(rec::kLdl, readings[1]).Word(rec::kHdl, readings[2])
        .Word(rec::kTriglycerides, readings[3]).Text("Lab").Finish();
  }
  return test::RecordBytes(kind, date, rec::kGlucoseFixed).Byte(rec::kCategory, category)
      .Word(rec::kGlucose, readings[0]).Text("Fasting").Finish();
}

MemBuffer Buffer(const std::vector<std::uint8_t>& bytes) {
  MemBuffer b;
  BufAlloc(bytes.size(), b);
  PutBytes(b, 0, std::string(bytes.begin(), bytes.end()));
  return b;
}

std::map<std::string, std::string> Texts(const std::vector<std::uint8_t>& bytes, UnitModes units = {}) {
  MemBuffer b = Buffer(bytes);
  std::map<std::string, std::string> out;
  for (const SummaryLine& l : SummaryTexts(b, 0, units)) out[l.name] = l.Text();
  BufFree(b);
  return out;
}

// A panel drawn at the program's size and fonts.
struct Drawn {
  explicit Drawn(const std::vector<std::uint8_t>& bytes, UnitModes units = {}) : f("size 1024 768\n") {
    f.gfx.SetupFonts("Microsoft Sans Serif", 20);
    MemBuffer b = Buffer(bytes);
    layout = DrawHealthSummary(f.gfx, 512, 409, b, 0, units);
    BufFree(b);
  }
  // The marker's centre column on a bar: the middle of the green run above it.
  int Marker(std::size_t bar) const {
    const Rect& r = layout.bars.at(bar);
    std::vector<int> xs;
    for (int x = r.left - 3; x <= r.right + 3; ++x) {
      if (f.surface.At(x, r.top - 2) == kMarkerGreen) xs.push_back(x);
    }
    return xs.empty() ? -1 : (xs.front() + xs.back()) / 2;
  }
  void Save(const std::string& name) {
    EXPECT_TRUE(WritePng(f.surface, test::GalleryPath(temp, name)));
  }
  test::UiFixture f;
  SummaryLayout layout;
  test::TempDir temp;
};

TEST(WeightSummaryTexts, WorkedExampleInBothUnits) {
  const auto pounds = Texts(WeightBytes({}));
  const std::map<std::string, std::string> want = {
      {"title", "Weight Management Summary For March 01, 2024"},
      {"current weight", "Your current weight is: 198.4 pounds"},
      {"bmi", "Your Body Mass Index (BMI) is: 27.8"},
      {"bmi class", "Overweight"},
      {"ideal weight", "Your ideal body weight is: 178.6 pounds"},
      {"ideal bmi", "Based on a BMI of 25 using the SB Hall formula"},
      {"bmr", "Your Basal Metabolic Rate (BMR) is: 1933"},
      {"maintenance calories", "To maintain your current weight, you need about: 2996 calories each day"},
      {"consume", "Consume 500 fewer calories each day to reach your ideal weight in: 20 weeks"},
      {"body fat", "Your Body Fat Percentage is: 21%"},
      {"body fat class", "Acceptable"},
      {"body fat text", "Males with 18-25% body fat are considered Acceptable by the American Council on Exercise"},
      {"waist to hip ratio", "Your Waist To Hip Ratio is: .94"},
      {"waist to hip class", "Average"},
      {"waist to hip risk", "Males with a ratio above .90 have an increased risk of heart disease, diabetes, and stroke."},
  };
  EXPECT_EQ(pounds, want);
  // The unit switch changes the two weight lines and nothing else.
  auto kg = Texts(WeightBytes({}), UnitModes{1, 1});
  EXPECT_EQ(kg["current weight"], "Your current weight is: 90 kg");
  EXPECT_EQ(kg["ideal weight"], "Your ideal body weight is: 81 kg");
  kg["current weight"] = want.at("current weight");
  kg["ideal weight"] = want.at("ideal weight");
  EXPECT_EQ(kg, want);
}

TEST(WeightSummaryTexts, UncomputableFiguresSayWhyAndLeaveTheRest) {
  Weight w;
  w.waist = 400;  // not above the neck
  auto t = Texts(WeightBytes(w));
  EXPECT_EQ(t["body fat"], std::string("Your Body Fat Percentage is: ") + kNotComputable);
  EXPECT_EQ(t.count("body fat text"), 0u);
  EXPECT_EQ(t["bmi"], "Your Body Mass Index (BMI) is: 27.8");
  w = Weight{};
  w.height = 0;
  w.hips = 0;
  t = Texts(WeightBytes(w));
  EXPECT_EQ(t["bmi"], std::string("Your Body Mass Index (BMI) is: ") + kNotComputable);
  EXPECT_EQ(t["ideal weight"], std::string("Your ideal body weight is: ") + kNotComputable);
  EXPECT_EQ(t["waist to hip ratio"], std::string("Your Waist To Hip Ratio is: ") + kNotComputable);
  EXPECT_EQ(t.count("consume"), 0u);
  EXPECT_EQ(t["bmr"], "Your Basal Metabolic Rate (BMR) is: 1033");  // 66 + 1237.5 − 270.4
}

TEST(WeightSummaryPanel, MarkersStandOnTheirValuesAndClampAtTheEnds) {
  {
    Drawn d(WeightBytes({}));
    d.Save("gallery-summary-weight.png");
    ASSERT_EQ(d.layout.bars.size(), 3u);
    const Rect& bmi = d.layout.bars[0];
    EXPECT_EQ(d.Marker(0), bmi.left + MarkerOffset(BmiChart(), 27.8, bmi.Width()));
    EXPECT_EQ(d.Marker(1), d.layout.bars[1].left + MarkerOffset(BodyFatChart(1), 21, d.layout.bars[1].Width()));
    EXPECT_EQ(d.Marker(2), d.layout.bars[2].left + d.layout.bars[2].Width() * 14 / 25);
    EXPECT_FALSE(d.layout.ok.Empty());
    EXPECT_FALSE(d.layout.trend.Empty());
  }
  {
    // BMI 90 / 1.5² = 40: the marker stands at the right end, the headline says 40.
    Weight w;
    w.height = 1500;
    Drawn d(WeightBytes(w));
    EXPECT_EQ(d.Marker(0), d.layout.bars[0].right);
    w.grams = 30000;  // 13.3: the left end
    Drawn low(WeightBytes(w));
    EXPECT_EQ(low.Marker(0), low.layout.bars[0].left);
  }
  {
    // No body fat can be formed: its chart has no marker, the rest is drawn.
    Weight w;
    w.waist = 390;
    Drawn d(WeightBytes(w));
    d.Save("gallery-summary-weight-no-body-fat.png");
    EXPECT_GE(d.Marker(0), 0);
    EXPECT_EQ(d.Marker(1), -1);
    EXPECT_GE(d.Marker(2), 0);
    EXPECT_FALSE(d.layout.ok.Empty());
  }
}

TEST(ReadingSummaryPanels, BoxesTakeTheClassColourAndMarkersTheirPlace) {
  struct Case {
    RecordKind kind;
    std::vector<std::uint32_t> readings;
    std::vector<Colour> fills;
    const char* gallery;
  };
  for (const Case& c : std::vector<Case>{
           {kKindBloodPressure, {135, 85}, {kClassYellow, kClassYellow}, "gallery-summary-pressure.png"},
           {kKindBloodPressure, {200, 50}, {kClassRed, kClassGreen}, nullptr},
           {kKindCholesterol, {210, 130, 45, 500}, {kClassYellow, kClassYellow, kClassYellow, kClassRed},
            "gallery-summary-cholesterol.png"},
           {kKindCholesterol, {199, 0, 0, 0}, {kClassGreen, kClassGreen, kClassRed, kClassGreen}, nullptr},
           {kKindGlucose, {105}, {kClassOrange}, "gallery-summary-glucose.png"},
           {kKindGlucose, {250}, {kClassRed}, nullptr},
       }) {
    SCOPED_TRACE(testing::Message() << int(c.kind) << " " << c.readings[0]);
    Drawn d(ReadingBytes(c.kind, c.readings));
    if (c.gallery != nullptr) d.Save(c.gallery);
    const std::vector<ReadingChart> charts = ReadingChartsOf(c.kind);
    ASSERT_EQ(d.layout.bars.size(), charts.size());
    EXPECT_EQ(d.layout.trend.Empty(), c.kind == kKindCholesterol);
    for (std::size_t i = 0; i < charts.size(); ++i) {
      const Rect& bar = d.layout.bars[i];
      EXPECT_EQ(d.Marker(i), bar.left + MarkerOffset(charts[i].chart, c.readings[i], bar.Width())) << i;
      // The value box lies left of the bar: its top-left inside corner.
      const Rect box{bar.left - 15 - 1, bar.top, bar.left - 15, bar.bottom};
      Colour seen = 0;
      for (int x = box.left; x > box.left - 80; --x) {
        const Colour px = d.f.surface.At(x, bar.top + 2);
        if (px == c.fills[i]) {
          seen = px;
          break;
        }
      }
      EXPECT_EQ(seen, c.fills[i]) << charts[i].key;
    }
  }
  // 135 over 85 stands 55/100 and 25/50 of the way along.
  Drawn d(ReadingBytes(kKindBloodPressure, {135, 85}));
  EXPECT_EQ(d.Marker(0), d.layout.bars[0].left + d.layout.bars[0].Width() * 55 / 100);
  EXPECT_EQ(d.Marker(1), d.layout.bars[1].left + d.layout.bars[1].Width() / 2);
}

TEST(TrendChartPicture, DrawsEachKindAndTheAverageFollowsTheReadings) {
  EventStore s;
  for (int i = 0; i < 120; ++i) {
    const std::int32_t day = DateOfDayNumber(DayNumber(Packed(2024, 1, 1)) + 3 * i);
    Weight w;
    w.grams = static_cast<std::uint32_t>(95000 - 60 * i + (i % 5) * 700);
    test::AppendTo(s, WeightBytes(w, 1, day));
    test::AppendTo(s, ReadingBytes(kKindBloodPressure, {static_cast<std::uint32_t>(150 - i / 4 + (i % 7) * 3),
                                                        static_cast<std::uint32_t>(95 - i / 8 + (i % 3) * 2)}, 1, day));
    test::AppendTo(s, ReadingBytes(kKindGlucose, {static_cast<std::uint32_t>(80 + (i * 37) % 70)}, 1, day));
  }
  BuildEventIndex(s);
  test::TempDir temp;
  struct Case {
    RecordKind kind;
    const char* gallery;
  };
  for (const Case& c : std::vector<Case>{{kKindWeight, "gallery-trend-weight.png"},
                                         {kKindBloodPressure, "gallery-trend-pressure.png"},
                                         {kKindGlucose, "gallery-trend-glucose.png"}}) {
    const TrendSeries series = CollectTrend(s, c.kind, 1);
    ASSERT_EQ(series.points.size(), 120u);
    Surface surface(900, 520, 0);
    Gfx gfx;
    gfx.surface = &surface;
    gfx.text = &test::SharedTextRenderer();
    gfx.SetupFonts("Microsoft Sans Serif", 20);
    DrawTrendChart(gfx, Rect{0, 0, 900, 520}, series, UnitModes{1, 1}, TrendTitle(c.kind, "Anna"));
    EXPECT_TRUE(WritePng(surface, test::GalleryPath(temp, c.gallery)));
    if (c.kind != kKindWeight) continue;
    // The weight falls: the average line stands lower at the right than at the left.
    const Colour average = Rgb(0, 40, 150);
    auto rowOf = [&](int x) {
      for (int y = 0; y < 520; ++y) {
        if (surface.At(x, y) == average) return y;
      }
      return -1;
    };
    const int left = rowOf(120);
    const int right = rowOf(840);
    ASSERT_GT(left, 0);
    ASSERT_GT(right, 0);
    EXPECT_GT(right, left + 100);
  }
}

TEST(HealthSummaryRun, TrendOpensFromTheSummaryAndOkClosesEach) {
  test::FrameRun run;
  {
    EventStore s;
    s.eventFile = run.data.File("Event20.dat");
    test::AppendTo(s, WeightBytes({}, 2, Packed(2024, 2, 1)));
    Weight later;
    later.grams = 88000;
    test::AppendTo(s, WeightBytes(later, 2));
    test::AppendTo(s, WeightBytes({}, 3));  // another person
    ASSERT_TRUE(SaveEvents(s, RecordSortKeys(UnitModes{}), SilentHost()));
  }
  // Where the buttons will be: the same panel at the same size and fonts.
  Drawn d(WeightBytes({}, 2));
  const std::string shots = run.lock.File("trend.png");
  bool closedByOk = false;
  int modalAfter = -1;
  run.app.screens[0] = [&](Application& a) {
    EventStore& s = a.events;
    EnsureWorkRecord(s);
    const auto bytes = WeightBytes({}, 2);
    PutBytes(s.workRecord, 0, std::string(bytes.begin(), bytes.end()));
    HealthSummary(a);
    closedByOk = a.program.input.quitRequested == 0;
    modalAfter = a.program.ModalActive;
    a.program.input.quitRequested = 1;
  };
  // The trend chart's "OK" sits centred 40 pixels above its panel's bottom.
  run.Go("size 1024 768\nclick " + test::CentreOf(d.layout.trend) + "\nscreenshot " + shots + "\nclick 512 " +
         std::to_string(768 - 8 - 28) + "\nclick " + test::CentreOf(d.layout.ok) + "\nwait 100\n");
  EXPECT_TRUE(closedByOk);
  EXPECT_EQ(modalAfter, 0);
  Surface shot;
  ASSERT_TRUE(LoadImageFile(shots, shot));
  // The trend chart of person 2 (two readings) covered the summary.
  EXPECT_EQ(test::CountIn(shot, Rgb(0, 40, 150), 0, 0, 1024, 768) > 50, true);
}

}  // namespace
}  // namespace kal
