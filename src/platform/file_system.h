// File-system services that need the operating system beyond standard C++:
// durable replacement of a file, and the program's folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace kal {

// Writes a file so that a crash or a full disk never leaves it half-written:
// the bytes go to a temporary file in the same folder as the target, which is
// flushed to disk and then renamed over the target. Until Commit succeeds the
// target is untouched; a writer destroyed without Commit removes its
// temporary file.
//
// When the target is a symbolic link, the file it points to is replaced and
// the link stays. The new file keeps the old one's permission bits; a file
// that did not exist is created readable and writable by its owner only.
// The temporary file is named "<target>.kalendrina-tmp.<pid>.<random>" and is
// locked (flock) while it is written, so that RemoveLeftoverTempFiles can
// tell the leftovers of a crashed save from a save still running.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once any step failed; the first error is kept.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // The file that Commit replaces: the target with its links followed.
  const std::string& target() const { return target_; }

  void Write(const void* data, std::size_t size);
  // Flushes, syncs, renames over the target and syncs the folder.
  bool Commit();

 private:
  void Fail(const std::string& what, int err);
  void Flush();
  void WriteOut(const char* data, std::size_t size);
  std::string path_;
  std::string target_;
  std::string tempPath_;
  int fd_ = -1;
  std::string buffer_;
  std::string error_;
  bool committed_ = false;
};

// The marker in the names of AtomicFileWriter's temporary files.
inline constexpr const char* kTempFileMarker = ".kalendrina-tmp.";

// Deletes the temporary files that interrupted saves left in the folder: the
// files whose name carries kTempFileMarker and that no running writer holds
// locked. Returns the names removed.
std::vector<std::string> RemoveLeftoverTempFiles(const std::string& folder);

// How a whole-file read ended.
enum class ReadOutcome {
  kRead,        // every byte is in the destination
  kMissing,     // no file of that name (a dangling link counts as missing)
  kNotRegular,  // a folder, named pipe, socket or device stands there
  kTooLarge,    // more bytes than the caller can hold
  kFailed,      // the file could not be opened or read whole
};

struct FileReadResult {
  ReadOutcome outcome = ReadOutcome::kFailed;
  std::uint64_t size = 0;  // bytes read (kRead) or the size found
  std::string message;     // one line naming the file and the reason; empty for kRead and kMissing
};

// Reads a whole regular file. Never blocks on a named pipe and never reads
// anything but a regular file. `allocate(size)` is asked once, for the size
// the file has, and returns where the bytes go (nullptr gives kFailed); it is
// not called for an empty file. A file that turns out shorter or longer than
// its size while being read gives kFailed.
FileReadResult ReadWholeFile(const std::string& path, std::uint64_t maxSize,
                             const std::function<std::uint8_t*(std::size_t)>& allocate);

// Maps a whole regular file into memory instead, with the same checks and
// outcomes: on kRead `data` holds r.size bytes (null for an empty file) until
// UnmapFile. The mapping is private: changes to it never reach the file. For
// short runs that read the file once: nothing is copied, but a file cut short
// by another program while mapped would end the process, so the desktop
// program, which keeps its file for hours, reads it instead.
FileReadResult MapWholeFile(const std::string& path, std::uint64_t maxSize, std::uint8_t*& data);
void UnmapFile(std::uint8_t* data, std::size_t size);

// Opens a C stream for the one-letter modes of store/files.h ('o', 'a', 'i',
// 'u'), creating missing files readable and writable by the owner only.
// Returns nullptr for anything but a regular file, without blocking on a
// named pipe, and when the file cannot be opened.
std::FILE* OpenRegularFile(const std::string& path, char mode);

// The folder of the executable the user started, with a trailing '/': the
// running executable's own, unless SetProgramFolder named another (the desktop
// executable is started by the command line from the library folder, but
// belongs to the command line's folder).
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);
// The data folder: `override` when not empty; else "kddata/" beside the
// executable when that folder exists (a portable install); else
// $XDG_DATA_HOME/kalendrina/ (default ~/.local/share/kalendrina/). Always ends
// with '/'. Does not create it.
std::string ResolveDataFolder(const std::string& override);
// Creates every missing level of the folder, each one for its owner only
// (mode 700); true when the folder exists afterwards.
bool MakePath(const std::string& folder);
// A new folder "<parent><prefix>XXXXXX" that only the user can enter (mode
// 700), ending in "/"; empty when it could not be made.
std::string MakePrivateFolder(const std::string& parent, const std::string& prefix);
// True when the path names a folder that can be listed and written.
bool FolderWritable(const std::string& folder);
// True when the folder can be listed and entered.
bool FolderReadable(const std::string& folder);
// True when the file can be opened for reading.
bool FileReadable(const std::string& path);

}  // namespace kal
