#include "platform/volumes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/file_system.h"

namespace kal {

namespace {

std::string EndSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// "\040" and the like, as the kernel writes blanks, tabs and backslashes.
std::string DecodeOctal(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() &&
        std::all_of(s.begin() + static_cast<std::ptrdiff_t>(i) + 1, s.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

// "\x20" in the names of /dev/disk/by-label.
std::string DecodeHex(std::string_view s) {
  std::string out;
  const auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
        hex(s[i + 2]) >= 0 && hex(s[i + 3]) >= 0) {
      out += static_cast<char>(hex(s[i + 2]) * 16 + hex(s[i + 3]));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool OneOf(std::string_view fsType, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), fsType) != names.end();
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::vector<DeviceLabel> SystemLabels() {
  std::vector<DeviceLabel> labels;
  const char* folder = "/dev/disk/by-label/";
  DIR* dir = opendir(folder);
  if (dir == nullptr) return labels;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    char* real = realpath((folder + name).c_str(), nullptr);
    if (real == nullptr) continue;
    labels.push_back({real, DecodeHex(name)});
    std::free(real);
  }
  closedir(dir);
  return labels;
}

class LinuxFolders : public FolderService {
 public:
  std::vector<Volume> Volumes() override {
    std::ifstream in("/proc/self/mountinfo");
    const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char* home = std::getenv("HOME");
    return VolumesFromMountInfo(table, home != nullptr ? home : "", SystemLabels());
  }
  bool Ready(const std::string& root) override {
    DIR* dir = opendir(root.c_str());
    if (dir == nullptr) return false;
    closedir(dir);
    return true;
  }
  bool List(const std::string& folder, std::vector<FolderItem>& out) override {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      bool isFolder = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        // A link to a folder opens like one.
        struct stat st {};
        isFolder = stat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      }
      out.push_back({name, isFolder});
    }
    closedir(dir);
    return true;
  }
  std::int64_t FileSize(const std::string& path) override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
  }
  bool DeleteFile(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool MakeFolder(const std::string& folder) override { return MakePath(folder); }
};

}  // namespace

FolderService& SystemFolders() {
  static LinuxFolders folders;
  return folders;
}

std::vector<Volume> VolumesFromMountInfo(std::string_view mountInfo, const std::string& home,
                                         const std::vector<DeviceLabel>& labels) {
  const auto labelOf = [&](const std::string& device) {
    for (const DeviceLabel& l : labels)
      if (l.device == device) return l.label;
    return std::string();
  };
  std::vector<Volume> volumes;
  std::string rootDevice;
  std::vector<Volume> mounted;
  std::istringstream lines{std::string(mountInfo)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::vector<std::string> f{std::istream_iterator<std::string>(fields), std::istream_iterator<std::string>()};
    const auto dash = std::find(f.begin(), f.end(), "-");
    if (f.size() < 5 || dash == f.end() || f.end() - dash < 3) continue;
    const std::string point = EndSlash(DecodeOctal(f[4]));
    const std::string fsType = *(dash + 1);
    const std::string device = DecodeOctal(*(dash + 2));
    if (point == "/") {
      rootDevice = device;
      continue;
    }
    VolumeKind kind = VolumeKind::kOther;
    if (OneOf(fsType, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2", "afs",
                       "ceph", "glusterfs", "fuse.glusterfs", "9p"})) {
      kind = VolumeKind::kNetwork;
    } else if (OneOf(fsType, {"iso9660", "udf"})) {
      kind = VolumeKind::kOptical;
    } else if (StartsWith(point, "/media/") || StartsWith(point, "/run/media/") || StartsWith(point, "/mnt/")) {
      kind = VolumeKind::kRemovable;
    } else {
      continue;
    }
    std::string label = labelOf(device);
    if (label.empty() && kind != VolumeKind::kNetwork) {
      // Desktop auto-mounters name the mount point after the label.
      const std::string trimmed = point.substr(0, point.size() - 1);
      label = trimmed.substr(trimmed.rfind('/') + 1);
    }
    const auto same = std::find_if(mounted.begin(), mounted.end(), [&](const Volume& v) { return v.root == point; });
    if (same != mounted.end()) mounted.erase(same);  // the later mount hides the earlier
    mounted.push_back({point, kind, label});
  }
  volumes.push_back({"/", VolumeKind::kFixed, labelOf(rootDevice)});
  const std::string homeFolder = home.empty() ? std::string() : EndSlash(home);
  if (!homeFolder.empty() && homeFolder != "/") volumes.push_back({homeFolder, VolumeKind::kFixed, "Home"});
  for (Volume& v : mounted) {
    if (v.root != homeFolder) volumes.push_back(std::move(v));
  }
  return volumes;
}

}  // namespace kal
