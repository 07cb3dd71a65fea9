// The drives the file chooser lists, read from a made-up mount table.
#include "platform/volumes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace kal {
namespace {

TEST(Volumes, MountTableBecomesDrives) {
  const std::string table =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "23 22 0:5 / /proc rw shared:2 - proc proc rw\n"
      "24 22 0:20 / /run rw shared:3 - tmpfs tmpfs rw\n"
      "30 22 8:17 / /media/ann/USB\\040STICK rw shared:4 - vfat /dev/sdb1 rw\n"
      "31 22 0:40 / /mnt/share rw shared:5 - cifs //nas/share rw\n"
      "32 22 11:0 / /run/media/ann/DVD rw shared:6 - iso9660 /dev/sr0 ro\n"
      "33 22 0:41 / /srv/nfs rw shared:7 - nfs4 nas:/export rw\n"
      "34 22 8:33 / /media/ann/Photos rw shared:8 - ext4 /dev/sdc1 rw\n"
      "35 22 8:34 / /media/ann/Photos rw shared:9 - ext4 /dev/sdc2 rw\n"
      "36 22 8:2 / /home rw shared:10 - ext4 /dev/sda2 rw\n"
      "garbage line without a dash\n";
  const std::vector<DeviceLabel> labels = {{"/dev/sda1", "System"}, {"/dev/sdc2", "Holiday"}};
  const std::vector<Volume> v = VolumesFromMountInfo(table, "/home/ann", labels);
  using Row = std::tuple<std::string, VolumeKind, std::string>;
  std::vector<Row> got;
  for (const Volume& d : v) got.emplace_back(d.root, d.kind, d.label);
  const std::vector<Row> want = {
      {"/", VolumeKind::kFixed, "System"},
      {"/home/ann/", VolumeKind::kFixed, "Home"},
      // The blank of the mount point is decoded; without a label the folder names it.
      {"/media/ann/USB STICK/", VolumeKind::kRemovable, "USB STICK"},
      {"/mnt/share/", VolumeKind::kNetwork, ""},
      {"/run/media/ann/DVD/", VolumeKind::kOptical, "DVD"},
      {"/srv/nfs/", VolumeKind::kNetwork, ""},
      // Mounted twice at one place: only the later, visible one, with its label.
      {"/media/ann/Photos/", VolumeKind::kRemovable, "Holiday"},
  };
  EXPECT_EQ(got, want);
}

TEST(Volumes, HomeAtRootOrMountedIsListedOnce) {
  const std::string table = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n30 22 8:17 / /mnt/u rw - ext4 /dev/sdb1 rw\n";
  EXPECT_EQ(VolumesFromMountInfo(table, "/", {}).size(), 2u);     // "/" and /mnt/u
  EXPECT_EQ(VolumesFromMountInfo(table, "/mnt/u", {}).size(), 2u);  // home is that mount
  EXPECT_EQ(VolumesFromMountInfo(table, "", {}).size(), 2u);
}

}  // namespace
}  // namespace kal
