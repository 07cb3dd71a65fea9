// Binary file access through small integer handles and one-letter modes.
//
// A handle is a key into a process-wide table of open files; -1 means the open
// failed, and every operation given -1, an unknown or an already closed handle
// does nothing (reads and writes then move no bytes). Nothing here reports
// failures: callers that depend on the result check sizes or marker values.
// The table is safe to use from the user-interface and the update thread at
// once; one handle should still be used by one thread at a time, because a
// seek and the read that follows it are two calls.
//
// Reads and writes go through a MemBuffer and never touch bytes outside its
// block: a request that does not fit the block moves nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/mem_buffer.h"

namespace kal {

// Modes:
//   'o'  write only; always created anew (an existing file is truncated)
//   'a'  write only; opened or created, positioned at the end
//   'i'  read only;  opened or created (a missing file is created empty)
//   'u'  read and write; opened or created
// Returns -1 for any other mode, for anything but a regular file (a folder,
// a named pipe, a device: never waiting on a pipe), and when the file cannot be
// opened or created. Mode 'i' on a missing file in a folder that cannot be
// written therefore gives -1 and creates nothing.
int FileOpen(char mode, const std::string& path);
void FileClose(int handle);
// Size in bytes, counting bytes written through the handle; 0 for a bad handle.
std::int64_t FileSize(int handle);
// Sets the absolute position from the start of the file. Negative positions
// are ignored.
void FileSeek(int handle, std::int64_t position);
// Reads count bytes at the current position into buffer[offset...]. Returns
// the number of bytes read (fewer at the end of the file); the rest of the
// range is left as it was.
std::size_t FileRead(int handle, MemBuffer& buffer, std::size_t offset, std::size_t count);
// Writes count bytes from buffer[offset...] at the current position. Returns
// the number of bytes written.
std::size_t FileWrite(int handle, const MemBuffer& buffer, std::size_t offset, std::size_t count);
// Writes the text's bytes, followed by CR LF when newline is set.
void FileWriteText(int handle, std::string_view text, bool newline);

// True when an entry (file or folder) of that name exists.
bool FileExists(const std::string& path);
// Gives the owner write permission back to an existing file so that it can be
// replaced; does nothing when the file is missing.
void ClearReadOnly(const std::string& path);
// Deletes a file (never a folder); true when it is gone afterwards.
bool RemoveFile(const std::string& path);

}  // namespace kal
