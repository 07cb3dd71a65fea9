// summary, export-csv and chart through the real executable: the summary's
// lines against the summary screen's own texts, the CSV read back by a real
// CSV reader in both unit modes, and the chart written as a picture.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/images.h"
#include "screens/health_summary.h"
#include "store/event_store.h"
#include "store/settings.h"
#include "support/recording_host.h"
#include "support/test_support.h"

namespace kal {
namespace {

struct ReportRun {
  int Kal(const std::string& args, std::string* out = nullptr, bool merge = true) {
    std::string text;
    const int status = test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' " + KALENDRINA_EXE + " " +
                                            args + " --data '" + data.path().string() + "'" + (merge ? " 2>&1" : ""),
                                        &text);
    if (out != nullptr) *out = text;
    return status;
  }
  void Add(const std::string& args) {
    std::string out;
    ASSERT_EQ(Kal("add-health " + args, &out), 0) << out;
  }
  // Sets both unit modes (0 pounds and inches, 1 kilograms and centimetres).
  void Units(int mode) {
    Settings s;
    const std::string path = data.File("config20.dat");
    LoadSettings(s, path);
    s.weightMode = static_cast<std::uint8_t>(mode);
    s.measureMode = static_cast<std::uint8_t>(mode);
    test::RecordingHost host;
    ASSERT_TRUE(SaveSettings(s, path, host));
  }
  test::TempDir runtime;
  test::TempDir data;
};

// The worked example, typed in metric units so the stored values are exact.
const char* kWorkedExample =
    "2024-03-01 --kind 3 --category 1 description=Morning weight='90 kg' height='1.8 m' chest='100 cm' "
    "waist='94 cm' hips='100 cm' neck='40 cm' upperarm='33 cm' forearm='28 cm' wrist='17 cm' thigh='56 cm' "
    "age=40 gender=Male activity=2";

TEST(SummaryCommand, PrintsWhatTheSummaryScreenShows) {
  ReportRun run;
  run.Add(kWorkedExample);
  std::string out;
  ASSERT_EQ(run.Kal("summary 2024-03-01 --kind 3", &out), 0) << out;
  // The screen's texts of the stored record, line by line.
  EventStore s;
  s.eventFile = run.data.File("Event20.dat");
  ASSERT_TRUE(LoadEvents(s));
  ASSERT_EQ(s.indexCount, 1u);
  std::string want;
  for (const SummaryLine& l : SummaryTexts(s.store, IndexOffset(s, 0), UnitModes{})) {
    want += l.name + "\t" + (l.label.empty() ? l.Text() : l.value) + "\n";
  }
  EXPECT_EQ(out, want);
  for (const char* figure : {"bmi\t27.8\n", "current weight\t198.4 pounds\n", "ideal weight\t178.6 pounds\n",
                             "Based on a BMI of 25 ", "(BMR) is: 1933\n", "about: 2996 calories", "in: 20 weeks\n",
                             "body fat\t21%\n", "Acceptable by", "waist to hip ratio\t.94\n",
                             "waist to hip class\tAverage\n"}) {
    EXPECT_NE(out.find(figure), std::string::npos) << figure;
  }
  run.Units(1);
  ASSERT_EQ(run.Kal("summary 2024-03-01 --kind 3 --category 1", &out), 0) << out;
  EXPECT_NE(out.find("current weight\t90 kg\n"), std::string::npos) << out;
  EXPECT_NE(out.find("bmi\t27.8\n"), std::string::npos) << out;

  // Nothing on that day, of that kind or in that category: exit 2 with a message.
  for (const char* args : {"summary 2024-03-02 --kind 3", "summary 2024-03-01 --kind 7",
                           "summary 2024-03-01 --kind 3 --category 2"}) {
    EXPECT_EQ(run.Kal(args, &out), 2) << args;
    EXPECT_NE(out.find("kalendrina: no "), std::string::npos) << out;
  }
  EXPECT_EQ(run.Kal("summary 2024-03-01 --kind 4", &out), 1) << out;
  EXPECT_EQ(run.Kal("summary 2024-03-01", &out), 1) << out;
}

TEST(SummaryCommand, TheLatestReadingOfTheDayIsTheOne) {
  ReportRun run;
  run.Add("2024-03-01 --kind 7 description=Fasting glucose=95 --category 0");
  run.Add("2024-03-01 --kind 7 description=Lunch glucose=126 --category 0");
  run.Add("2024-03-01 --kind 7 description=Other glucose=60 --category 3");
  std::string out;
  ASSERT_EQ(run.Kal("summary 2024-03-01 --kind 7 --category 0", &out), 0) << out;
  EXPECT_EQ(out, "title\tGlucose For March 01, 2024\nglucose\t126\nglucose class\tDiabetes\n");
}

// A Python script that reads the CSV with the csv module and prints
// "column=value" for the chosen columns of every row, one row per line.
std::string ReadCsvWithPython(const std::string& file, const std::string& columns) {
  std::string out;
  const std::string script =
      "import csv,sys\n"
      "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
      "    rows = list(csv.DictReader(f))\n"
      "for r in rows:\n"
      "    print('|'.join(c + '=' + r[c] for c in sys.argv[2].split(';')))\n";
  test::RunCommand("python3 -c \"" + script + "\" '" + file + "' '" + columns + "' 2>&1", &out);
  return out;
}

TEST(ExportCsvCommand, ARealCsvReaderFindsTheColumnsAndValuesInBothUnits) {
  if (test::RunCommand("python3 -c 'import csv' >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3 with its csv module is not installed, and it is the CSV reader this test checks against";
  }
  ReportRun run;
  run.Add(kWorkedExample);
  run.Add("2024-03-02 --kind 5 --category 1 description='After \"the\" walk, tired' systolic=135 diastolic=85 "
          "time='7:30 pm' location='Home'");
  run.Add("2024-03-03 --kind 7 --category 2 description='Café' glucose=101");
  const std::string file = run.data.File("out.csv");
  std::string out;
  ASSERT_EQ(run.Kal("export-csv '" + file + "'", &out), 0) << out;
  EXPECT_EQ(ReadCsvWithPython(file, "date;kind;weight (pounds);height (in);systolic;description;glucose"),
            "date=2024-03-01|kind=3|weight (pounds)=198.4|height (in)=70.9|systolic=|description=Morning|glucose=\n"
            "date=2024-03-02|kind=5|weight (pounds)=|height (in)=|systolic=135|description=After \"the\" walk, "
            "tired|glucose=\n"
            "date=2024-03-03|kind=7|weight (pounds)=|height (in)=|systolic=|description=Café|glucose=101\n");

  run.Units(1);
  ASSERT_EQ(run.Kal("export-csv '" + file + "' --kind 3", &out), 0) << out;
  EXPECT_EQ(ReadCsvWithPython(file, "date;weight (kg);height (cm);waist (cm);age;gender"),
            "date=2024-03-01|weight (kg)=90|height (cm)=180|waist (cm)=94|age=40|gender=Male\n");

  // Filters, and "-" for standard output; the header row comes first.
  ASSERT_EQ(run.Kal("export-csv - --from 2024-03-02 --to 2024-03-02", &out, false), 0) << out;
  std::istringstream lines(out);
  std::string header, row, rest;
  std::getline(lines, header);
  std::getline(lines, row);
  EXPECT_EQ(header.rfind("date,category,kind,description,", 0), 0u) << header;
  EXPECT_EQ(row.rfind("2024-03-02,", 0), 0u) << row;
  EXPECT_NE(row.find(",\"After \"\"the\"\" walk, tired\","), std::string::npos) << row;
  EXPECT_FALSE(std::getline(lines, rest));
  ASSERT_EQ(run.Kal("export-csv - --category 2 --kind 7", &out, false), 0) << out;
  EXPECT_EQ(out.substr(out.find('\n') + 1).rfind("2024-03-03,", 0), 0u) << out;
  EXPECT_EQ(run.Kal("export-csv - --kind 9", &out), 1) << out;
}

TEST(ChartCommand, WritesThePictureOfAPersonsReadings) {
  ReportRun run;
  run.Add("2024-03-01 --kind 3 --category 4 description=a weight=180");
  run.Add("2024-03-08 --kind 3 --category 4 description=b weight=178");
  const std::string png = run.data.File("trend.png");
  std::string out;
  ASSERT_EQ(run.Kal("chart '" + png + "' --kind 3 --category 4 --size 640x400", &out), 0) << out;
  Surface picture;
  ASSERT_TRUE(LoadImageFile(png, picture));
  EXPECT_EQ(picture.width(), 640);
  EXPECT_EQ(picture.height(), 400);
  EXPECT_EQ(run.Kal("chart '" + png + "' --kind 3 --category 5", &out), 2) << out;
  EXPECT_EQ(run.Kal("chart '" + png + "' --kind 6", &out), 1) << out;
}

}  // namespace
}  // namespace kal
