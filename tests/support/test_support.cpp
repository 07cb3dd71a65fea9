#include "support/test_support.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kal::test {

TempDir::TempDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("kalendrina-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string GalleryPath(const TempDir& temp, const std::string& name) {
  const char* dir = std::getenv("KALENDRINA_GALLERY_DIR");
  return dir != nullptr ? std::string(dir) + "/" + name : temp.File(name);
}

std::vector<ScriptCommand> ParsedScript(std::string_view script) {
  ScriptParseResult parsed = ParseInputScript(script);
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  return std::move(parsed.commands);
}

std::string Place(Occupant what, const std::string& path) {
  namespace fs = std::filesystem;
  auto sparse = [&](std::uintmax_t size) {
    WriteAll(path, {});
    fs::resize_file(path, size);
  };
  switch (what) {
    case Occupant::kNamedPipe:
      if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path);
      return "named pipe";
    case Occupant::kSocket: {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      if (path.size() >= sizeof addr.sun_path) throw std::runtime_error("socket path too long: " + path);
      std::copy(path.begin(), path.end(), addr.sun_path);
      const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
      ::close(fd);  // the socket file stays behind
      if (bound != 0) throw std::runtime_error("bind " + path);
      return "socket";
    }
    case Occupant::kFolder:
      fs::create_directory(path);
      return "folder";
    case Occupant::kDevice:
      fs::create_symlink("/dev/null", path);
      return "device";
    case Occupant::kSparse2GiB:
      sparse(std::uintmax_t{1} << 31);
      return "2 GiB file";
    case Occupant::kSparse4GiB:
      sparse(std::uintmax_t{1} << 32);
      return "4 GiB file";
    case Occupant::kSparse4GiB26:
      sparse((std::uintmax_t{1} << 32) + 26);
      return "4 GiB + 26 file";
  }
  return "";
}

std::string Describe(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "missing";
  if (S_ISLNK(st.st_mode)) return "link";
  if (S_ISDIR(st.st_mode)) return "folder";
  if (S_ISFIFO(st.st_mode)) return "named pipe";
  if (S_ISSOCK(st.st_mode)) return "socket";
  if (S_ISREG(st.st_mode)) return "file of " + std::to_string(st.st_size) + " bytes";
  return "other";
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

int RunCommand(const std::string& command, std::string* out) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::array<char, 4096> buf{};
  std::string text;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) text.append(buf.data(), n);
  const int status = pclose(pipe);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kal::test
