// `kalendrina print`: the printed pages as PDF, read back with pdftotext.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace kal {
namespace {

class PrintCommand : public ::testing::Test {
 protected:
  int Kal(const std::string& args, std::string* out = nullptr) {
    return test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' " + KALENDRINA_EXE + " " + args +
                                " --data '" + dir.path().string() + "' 2>&1",
                            out);
  }
  // The text of the PDF, pages separated by form feeds, runs of blanks as
  // one (pdftotext spaces words by where they stand); empty when unreadable.
  static std::string PdfText(const std::string& path) {
    std::string text;
    if (test::RunCommand("pdftotext -layout '" + path + "' - 2>/dev/null | tr -s ' '", &text) != 0) return {};
    return text;
  }
  void SetUp() override {
    if (test::RunCommand("command -v pdftotext >/dev/null") != 0) GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_EQ(Kal("add 2024-03-05 'Dentist at nine' --start 9:00am"), 0);
    ASSERT_EQ(Kal("add 2024-03-10 'Choir practice' --repeat 1"), 0);  // weekly, 150 records
  }
  test::TempDir runtime;
  test::TempDir dir;
};

TEST_F(PrintCommand, WritesTheCalendarAndTheListAsSearchablePdf) {
  struct Case {
    std::string args;
    std::vector<std::string> texts;
    int pages;
  } cases[] = {
      {"calendar '%s' --from 2024-03-05 --today 2024-03-05",
       {"Mar 3, 2024 to Apr 13, 2024", "Printed Mar 5, 2024", "Wednesday", "Apr 1, 2024", "Mar 31",
        "9:00 am - Dentist", "Choir practice"},
       1},
      {"calendar '%s' --from 2024-02-27 --today 2024-03-05 --paper a4",
       {"Feb 25, 2024 to Apr 6, 2024", "Feb 29", "Mar 1, 2024"}, 1},
      // 151 records, 54 lines a page at 12 points with one-inch margins on Letter.
      {"events '%s' --from 2024-01-01", {"Dentist at nine", "Choir practice", "10, 2024:"}, 3},
      {"events '%s' --from 2026-06-01", {"Choir practice"}, 1},
  };
  for (const Case& c : cases) {
    const std::string pdf = dir.File("out.pdf");
    std::string args = c.args;
    args.replace(args.find("%s"), 2, pdf);
    std::string out;
    ASSERT_EQ(Kal("print " + args, &out), 0) << args << ": " << out;
    const std::string text = PdfText(pdf);
    for (const std::string& want : c.texts) EXPECT_NE(text.find(want), std::string::npos) << args << ": " << want;
    int pages = 1;
    for (char ch : text) pages += ch == '\f';
    EXPECT_EQ(pages - 1, c.pages) << args;  // pdftotext ends every page with a form feed
  }
}

// A file that cannot be written whole is an error with its reason, never a
// success: a missing folder, no room on the device.
TEST_F(PrintCommand, FailuresToWriteAreReported) {
  struct Case {
    std::string args;
    int status;
    std::string says;
  } cases[] = {
      {"print calendar '" + dir.File("none/out.pdf") + "'", 2, "cannot write"},
      {"print events /dev/full", 2, "is a device"},
      {"print events '" + dir.File("x.pdf") + "' --marked", 2, "no marked records"},
      {"print weeks x.pdf", 1, "not 'weeks'"},
      {"print calendar x.pdf --paper legal", 1, "letter or a4"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(Kal(c.args, &out), c.status) << c.args << ": " << out;
    EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ": " << out;
  }
  // A disk that fills up while the PDF is written: a 4 KiB file system.
  const std::string full = dir.File("full");
  std::filesystem::create_directory(full);
  if (test::RunCommand("mount -t tmpfs -o size=4k tmpfs '" + full + "' 2>/dev/null") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here to fill it (needs root)";
  }
  std::string out;
  EXPECT_EQ(Kal("print calendar '" + full + "/out.pdf' --from 2024-03-05", &out), 2) << out;
  EXPECT_NE(out.find("No space left"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::is_empty(full)) << "no half-written file stays behind";
  test::RunCommand("umount '" + full + "'");
}

}  // namespace
}  // namespace kal
