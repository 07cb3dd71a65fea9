// The two imports end to end: the options screen's buttons, the drawn file
// chooser on the real file system (a private home folder), and the event
// file written after.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/import_files.h"
#include "screens/frame_run.h"

namespace kal {
namespace {

using test::At;
using test::CentreOf;

// A long import keeps the window alive with passes of the message pump, which
// take whatever input comes; on a slow machine even these small files may
// take that long, so only time passes meanwhile.
const std::string kDuringImport = "wait 10\nwait 10\nwait 10\nwait 10\nwait 10\nwait 10\n";

// The chooser's list rows in a 1024 x 768 window.
std::string Row(int i) { return At(300, 229 + 23 * i + 11); }

// $HOME points at a private folder for the test's lifetime: the chooser's
// second drive and where the imports start.
class PrivateHome {
 public:
  PrivateHome() {
    const char* old = std::getenv("HOME");
    if (old != nullptr) old_ = old;
    setenv("HOME", dir_.path().c_str(), 1);
  }
  ~PrivateHome() { setenv("HOME", old_.c_str(), 1); }
  std::string File(const std::string& name) const { return dir_.File(name); }

 private:
  test::TempDir dir_;
  std::string old_;
};

TEST(Imports, OptionsButtonsAndTheChooserImportBothFiles) {
  PrivateHome home;
  std::filesystem::create_directories(home.File("old"));
  std::filesystem::create_directories(home.File("Corvitalis"));
  test::WriteAll(home.File("notes.txt"), {1, 2, 3});
  test::OldRecord birthday;
  birthday.code = 5;
  birthday.text = "Mum";
  const test::Bytes event10 = birthday.Build();
  test::WriteAll(home.File("old/EVENT10.DAT"), event10);
  test::Bytes corvit = test::PersonRecord(1, "Ann", "Lee", "f");
  test::Append(corvit, test::DiaryRecordBytes(1, 3, 2012, 5, 6, test::Body().Word(2400)));
  test::WriteAll(home.File("Corvitalis/corvit10.dat"), corvit);

  test::LayoutProbe probe(1024, 768);
  const OptionsLayout& o = probe.layout().options;
  test::FrameRun run;
  const std::string shot = test::GalleryPath(run.data, "file-chooser.png");
  run.Go("type o\n"
         // The home folder is drive D, so its Corvitalis, old and notes.txt follow
         // the lines of C and D.
         "click " + CentreOf(o.importOld) + "\n"
         "key Down\nkey Down\nkey Down\nkey Enter\n"  // opens "old", marking ".."
         "click " + Row(3) + "\n"                  // marks the file
         "screenshot " + shot + "\n"
         "click " + Row(3) + "\n"                  // and accepts it
         + kDuringImport +
         // The health diary starts in ~/Corvitalis/: up to the home folder with
         // two clicks on "..", into Corvitalis with Enter, down to the file.
         "click " + CentreOf(o.importHealth) + "\n"
         "click " + Row(2) + "\nclick " + Row(2) + "\n"
         "key Enter\nkey Down\nkey Enter\n"
         + kDuringImport +
         // A file of another name is refused.
         "click " + CentreOf(o.importOld) + "\n"
         "key Down\nkey Down\nkey Down\nkey Down\nkey Enter\nkey Enter\n"
         "type q\n");
  int birthdays = 0, weights = 0;
  for (const test::StoredEvent& e : run.Events()) {
    birthdays += e.kind == kKindGeneric && e.text == "Mum" && e.mode == 15;
    weights += e.kind == kKindWeight && e.category == 0;
  }
  EXPECT_EQ(birthdays, 150);
  EXPECT_EQ(weights, 1);
  EXPECT_EQ(test::ReadAll(home.File("old/EVENT10.DAT")), event10);
  EXPECT_TRUE(std::filesystem::exists(shot));
}

}  // namespace
}  // namespace kal
