// File-system services that need the operating system beyond standard C++:
// durable replacement of a file, and the program's folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kal {

// Writes a file so that a crash or a full disk never leaves it half-written:
// the bytes go to a temporary file in the same folder, which is flushed to
// disk and then renamed over the target. Until Commit succeeds the target is
// untouched; a writer destroyed without Commit removes its temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once any step failed; the first error is kept.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  void Write(const void* data, std::size_t size);
  // Flushes, syncs, renames over the target and syncs the folder.
  bool Commit();

 private:
  void Fail(const std::string& what);
  std::string path_;
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  std::string error_;
  bool committed_ = false;
};

// The folder holding the running executable, with a trailing '/'.
std::string ProgramFolder();
// The data folder: `override` when not empty; else "kddata/" beside the
// executable when that folder exists (a portable install); else
// $XDG_DATA_HOME/kalendrina/ (default ~/.local/share/kalendrina/). Always ends
// with '/'. Does not create it.
std::string ResolveDataFolder(const std::string& override);
// Creates every missing level of the folder; true when it exists afterwards.
bool MakePath(const std::string& folder);
// True when the path names a folder that can be listed and written.
bool FolderWritable(const std::string& folder);
// True when the folder can be listed and entered.
bool FolderReadable(const std::string& folder);
// True when the file can be opened for reading.
bool FileReadable(const std::string& path);

}  // namespace kal
