// kalendrina import through the real executable: both formats, a damaged
// file, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "support/import_files.h"
#include "support/test_support.h"

namespace kal {
namespace {

TEST(ImportCommand, ImportsBothFormatsAndRefusesBadArguments) {
  test::TempDir runtime;
  test::TempDir data;
  test::TempDir source;
  test::OldRecord weekly;
  weekly.code = 1;
  test::Bytes event10 = weekly.Build();
  test::Append(event10, {7, 7});  // a damaged tail
  test::WriteAll(source.File("old.dat"), event10);
  test::Bytes corvit = test::PersonRecord(4, "Ann", "Lee", "f");
  test::Append(corvit, test::DiaryRecordBytes(4, 9, 2012, 5, 6, test::Body().Text("note")));
  test::WriteAll(source.File("corvit10.dat"), corvit);
  const auto kal = [&](const std::string& args, std::string* out = nullptr) {
    std::string text;
    const int status = test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' " + KALENDRINA_EXE +
                                            " " + args + " --data '" + data.path().string() + "' 2>&1",
                                        &text);
    if (out != nullptr) *out = text;
    return status;
  };
  struct Case {
    std::string args;
    int status;
    std::string output;  // the start of what is printed
  };
  const std::vector<Case> cases = {
      {"import event10 '" + source.File("old.dat") + "'", 0, "1 records imported, 0 skipped, 2 damaged bytes"},
      {"import corvit10 '" + source.File("corvit10.dat") + "'", 0, "1 records imported, 0 skipped\n"},
      {"import event10", 1, "kalendrina: import needs"},
      {"import event20 '" + source.File("old.dat") + "'", 1, "kalendrina: import needs"},
      {"import event10 '" + source.File("missing.dat") + "'", 2, "kalendrina: cannot read"},
      {"import corvit10 '" + source.path().string() + "'", 2, "kalendrina: cannot read"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(kal(c.args, &out), c.status) << c.args << "\n" << out;
    EXPECT_EQ(out.substr(0, c.output.size()), c.output) << c.args;
  }
  std::string list;
  ASSERT_EQ(kal("list", &list), 0);
  EXPECT_NE(list.find("Ann note"), std::string::npos) << list;
  EXPECT_NE(list.find("Dentist"), std::string::npos) << list;
  EXPECT_EQ(test::ReadAll(source.File("old.dat")), event10);
}

}  // namespace
}  // namespace kal
