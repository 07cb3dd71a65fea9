// The file system as the file chooser sees it: a few "drives" (the roots a
// user thinks of), whether one can be read, the names in a folder, and the
// two changes the chooser makes (a new folder, deleting a file).
//
// On Linux the drives are "/" and the home folder (fixed disks), then the
// removable, optical and network volumes of the mount table, in its order.
// Paths are byte strings as the system stores them (UTF-8 in practice) and
// folders always end in '/'. FolderService is an interface so that tests can
// hand the chooser a made-up disk; SystemFolders() is the real one and lives
// for the whole run. Nothing here is thread-safe beyond what the system is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kal {

enum class VolumeKind { kFixed, kRemovable, kNetwork, kOptical, kOther };

struct Volume {
  std::string root;   // ends in '/'
  VolumeKind kind = VolumeKind::kFixed;
  std::string label;  // may be empty
};

struct FolderItem {
  std::string name;  // without the folder
  bool folder = false;
};

class FolderService {
 public:
  virtual ~FolderService() = default;
  virtual std::vector<Volume> Volumes() = 0;
  // The root can be read now (a hung network mount or a pulled disk cannot).
  virtual bool Ready(const std::string& root) = 0;
  // Every name in the folder but "." and ".."; false when it cannot be listed.
  virtual bool List(const std::string& folder, std::vector<FolderItem>& out) = 0;
  // Size in bytes, -1 when the file cannot be examined.
  virtual std::int64_t FileSize(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Creates the folder and any missing parents.
  virtual bool MakeFolder(const std::string& folder) = 0;
};

FolderService& SystemFolders();

// The drives of a mount table in /proc/self/mountinfo form: "/" and `home`
// first, then each mount under /media, /run/media or /mnt and each network
// or optical file system, once per mount point. `labels` maps a device path
// (such as "/dev/sdb1") to its file-system label. Octal escapes of the table
// ("\040" for a blank) are decoded.
struct DeviceLabel {
  std::string device;
  std::string label;
};
std::vector<Volume> VolumesFromMountInfo(std::string_view mountInfo, const std::string& home,
                                         const std::vector<DeviceLabel>& labels);

}  // namespace kal
