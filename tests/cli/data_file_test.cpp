// What the command line does with data files it cannot read whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace kal {
namespace {

using test::Occupant;

TEST(CliDataFiles, AnUnreadableFileEndsWithStatus2AndIsNeverReplaced) {
  struct Case {
    const char* file;
    Occupant occupant;
    const char* message;  // after the file's path
  };
  const std::vector<Case> cases = {
      {"Event20.dat", Occupant::kNamedPipe, " is a named pipe, not a file"},
      {"Event20.dat", Occupant::kSocket, " is a socket, not a file"},
      {"Event20.dat", Occupant::kFolder, " is a folder, not a file"},
      {"Event20.dat", Occupant::kDevice, " is a device, not a file"},
      {"Event20.dat", Occupant::kSparse4GiB, ": it holds 4294967296 bytes, more than the 2147483647 this program can load"},
      {"config20.dat", Occupant::kNamedPipe, " is a named pipe, not a file"},
      {"config20.dat", Occupant::kFolder, " is a folder, not a file"},
  };
  for (const Case& c : cases) {
    test::TempDir data;
    test::TempDir runtime;
    const std::string path = data.File(c.file);
    const std::string name = std::string(c.file) + " as " + test::Place(c.occupant, path);
    const std::string before = test::Describe(path);
    const std::string expected =
        std::string("kalendrina: ") + (c.message[0] == ':' ? "cannot read " : "") + path + c.message + "\n";
    for (const char* command : {"list", "add 2024-05-05 Dentist"}) {
      std::string out;
      // `timeout` turns a wait on the pipe into a failure instead of a hang.
      const int status = test::RunCommand("XDG_RUNTIME_DIR='" + runtime.path().string() + "' timeout 20 " +
                                              KALENDRINA_EXE + " " + command + " --data '" + data.path().string() +
                                              "' 2>&1",
                                          &out);
      EXPECT_EQ(status, 2) << name << ", " << command << ": " << out;
      EXPECT_EQ(out, expected) << name << ", " << command;
      EXPECT_EQ(test::Describe(path), before) << name << ", " << command;
    }
  }
}

}  // namespace
}  // namespace kal
