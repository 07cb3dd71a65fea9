// add-health through the real executable: the record it stores, the
// editor's refusals as usage errors, and the renewed cycle predictions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/test_support.h"

namespace kal {
namespace {

struct AddHealthRun {
  // Runs kalendrina with the arguments on a private data and runtime folder.
  int Kal(const std::string& args, std::string* out = nullptr) {
    std::string text;
    const int status = test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' " + KALENDRINA_EXE + " " +
                                            args + " --data '" + data.path().string() + "' 2>&1",
                                        &text);
    if (out != nullptr) *out = text;
    return status;
  }
  std::string List(const std::string& args) {
    std::string out;
    EXPECT_EQ(Kal("list " + args, &out), 0) << out;
    return out;
  }
  test::TempDir runtime;
  test::TempDir data;
};

TEST(AddHealth, StoresEachKindAsItsEditorsSaveDoes) {
  AddHealthRun run;
  struct Case {
    const char* args;
    const char* line;  // the record's event-list text
  };
  const Case cases[] = {
      {"2024-05-01 --kind 3 --category 2 description=Morning weight=150 height=70 gender=f activity=3",
       "Morning - 150 pounds, Height: 70 in"},
      {"2024-05-02 --kind 5 --category 2 description='After the walk' systolic=135 diastolic=85 time='7:30 pm'",
       "After the walk - 135/85"},
      {"2024-05-03 --kind 6 --category 2 description=Lab total=210 ldl=130", "Lab - 210"},
      {"2024-05-04 --kind 7 --category 2 description=Fasting glucose=95", "Fasting - 95"},
      // Without a description a new reading takes the person's latest one.
      {"2024-05-05 --kind 7 --category 2 glucose=101", "Fasting - 101"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string out;
    ASSERT_EQ(run.Kal(std::string("add-health ") + c.args, &out), 0) << out;
    const std::string date = std::string(c.args).substr(0, 10);
    EXPECT_NE(run.List("--from " + date + " --to " + date + " --category 2").find(c.line), std::string::npos);
  }
}

TEST(AddHealth, RefusalsAndBadFieldsAreUsageErrors) {
  AddHealthRun run;
  const std::pair<const char*, const char*> cases[] = {
      {"2024-05-01 --kind 3 weight=150", "Please enter a description and weight"},
      {"2024-05-01 --kind 5 description=Walk systolic=120", "Please enter a title and blood pressure readings"},
      {"2024-05-01 --kind 7 description=X glucose=abc", "Please enter a title and glucose reading"},
      {"2024-05-01 --kind 4 description=", "Event cannot be saved until you enter a description"},
      {"2024-05-01 --kind 6 description=Lab pulse=80", "has no field 'pulse'"},
      {"2024-05-01 --kind 7 description=abcdefghijklmnopqrstuvwxyz12345 glucose=90", "at most 30 characters"},
      {"2024-05-01 --kind 2 description=X", "--kind must be a number from 3 to 7"},
      {"2024-05-01 --kind 3 description=X weight=150 activity=5", "activity must be a number from 0 to 4"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(args);
    std::string out;
    EXPECT_EQ(run.Kal(std::string("add-health ") + args, &out), 1) << out;
    EXPECT_NE(out.find(message), std::string::npos) << out;
  }
  EXPECT_EQ(run.List(""), "");
}

TEST(AddHealth, ACycleRenewsThePredictions) {
  AddHealthRun run;
  for (const char* date : {"2024-03-01", "2024-03-30", "2024-04-27", "2024-05-26"}) {
    std::string out;
    ASSERT_EQ(run.Kal(std::string("add-health ") + date + " --kind 4 description=Ana", &out), 0) << out;
  }
  const std::string june = run.List("--from 2024-06-01 --to 2024-06-30 --kind 4");
  EXPECT_NE(june.find("2024-06-24\t4\t0\t"), std::string::npos) << june;
  EXPECT_NE(june.find("Ana [predicted]"), std::string::npos) << june;
  const std::string all = run.List("--kind 4");
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 4 + 12) << all;
}

}  // namespace
}  // namespace kal
