// Raw heap blocks addressed by byte offsets.
//
// Every binary structure of the program (the event file image, its index, the
// record being edited, the category table, the dialog transfer block) lives in
// a MemBuffer and is read and written through the little-endian accessors
// below, never by casting to a struct. A MemBuffer owns its block; an empty
// buffer (no block) is the "handle 0" state, and every accessor then does
// nothing. Accessors also do nothing when the bytes they would touch lie
// outside the block, so a damaged length field can never read or write past
// the allocation.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace kal {

class MemBuffer {
 public:
  MemBuffer() = default;
  ~MemBuffer();
  MemBuffer(const MemBuffer&) = delete;
  MemBuffer& operator=(const MemBuffer&) = delete;
  MemBuffer(MemBuffer&& other) noexcept;
  MemBuffer& operator=(MemBuffer&& other) noexcept;

  // True when no block is held ("handle 0").
  bool empty() const { return data_ == nullptr; }
  explicit operator bool() const { return data_ != nullptr; }
  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

  // True when [offset, offset + count) lies inside the block.
  bool Holds(std::size_t offset, std::size_t count) const {
    return data_ != nullptr && offset <= size_ && count <= size_ - offset;
  }

 private:
  friend void BufAlloc(std::size_t size, MemBuffer& buffer);
  friend void BufAdopt(std::uint8_t* data, std::size_t size, void (*release)(std::uint8_t*, std::size_t),
                       MemBuffer& buffer);
  friend void BufResize(std::size_t newSize, MemBuffer& buffer);
  friend void BufFree(MemBuffer& buffer);
// Takes over a block the buffer did not allocate (a file mapped into memory),
// replacing any block held; `release` gives it back. BufResize moves it into
// an allocated block.
void BufAdopt(std::uint8_t* data, std::size_t size, void (*release)(std::uint8_t*, std::size_t), MemBuffer& buffer);
  void Release();
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  // How a block that did not come from BufAlloc is given back (null: free).
  void (*release_)(std::uint8_t*, std::size_t) = nullptr;
};

// Called with (text, title) when the heap cannot supply a block. The window
// installs a hook that shows the system message box; the default writes the
// message to standard error.
using AllocFailureHook = std::function<void(const std::string& text, const std::string& title)>;
void SetAllocFailureHook(AllocFailureHook hook);

// Allocates size bytes (contents unspecified) when size > 0, replacing any
// block held; size 0 leaves the buffer unchanged. On failure the message
// "(<size> bytes/<heap> heap) Please restart your computer." is reported and the
// buffer is left empty.
void BufAlloc(std::size_t size, MemBuffer& buffer);
// Reallocates a held block, keeping the contents up to the smaller size. On
// failure "(<size> bytes) Please restart your computer." is reported and the
// buffer becomes empty. Does nothing on an empty buffer.
void BufResize(std::size_t newSize, MemBuffer& buffer);
void BufFree(MemBuffer& buffer);

// Out-parameter accessors: the output stays unchanged when nothing can be read.
void GetByte(const MemBuffer& buffer, std::size_t offset, std::int32_t& value);
void GetWord(const MemBuffer& buffer, std::size_t offset, std::int32_t& value);  // unsigned 16
void GetLong(const MemBuffer& buffer, std::size_t offset, std::int32_t& value);  // signed 32
// SetByte, SetWord and SetLong: below, with the value-returning readers.
void FillBytes(MemBuffer& buffer, std::size_t offset, std::size_t count, std::uint8_t byte);
// Copies count bytes; overlapping moves inside one buffer are correct.
void MoveBytes(const MemBuffer& source, std::size_t sourceOffset, MemBuffer& target,
               std::size_t targetOffset, std::size_t count);
void GetBytes(const MemBuffer& buffer, std::size_t offset, std::size_t n, std::string& text);
void PutBytes(MemBuffer& buffer, std::size_t offset, std::string_view text);
// Reads up to the first zero byte (or the end of the block).
void GetZText(const MemBuffer& buffer, std::size_t offset, std::string& text);
void PutZText(MemBuffer& buffer, std::size_t offset, std::string_view text);

// Value-returning forms for code that reads many fields; they give 0 where the
// out-parameter forms would leave the output unchanged.
inline std::uint32_t Byte(const MemBuffer& b, std::size_t off) {
  return b.Holds(off, 1) ? b.data()[off] : 0u;
}
inline std::uint32_t Word(const MemBuffer& b, std::size_t off) {
  return b.Holds(off, 2) ? (b.data()[off] | (b.data()[off + 1] << 8)) : 0u;
}
inline std::int32_t Long(const MemBuffer& b, std::size_t off) {
  if (!b.Holds(off, 4)) return 0;
  const std::uint8_t* p = b.data() + off;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

// Unchecked little-endian reads for loops over every record of the file,
// whose callers have checked the bytes lie inside the block. On a
// little-endian machine each is one move.
inline std::uint32_t LoadWord(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}
inline std::uint32_t LoadLong(const std::uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The setters are inline, like the readers: index and record building call
// them for every record of the file.
inline void SetByte(MemBuffer& buffer, std::size_t offset, std::int32_t value) {
  if (!buffer.Holds(offset, 1)) return;
  buffer.data()[offset] = static_cast<std::uint8_t>(value & 0xFF);
}

inline void SetWord(MemBuffer& buffer, std::size_t offset, std::int32_t value) {
  if (!buffer.Holds(offset, 2)) return;
  std::uint8_t* p = buffer.data() + offset;
  p[0] = static_cast<std::uint8_t>(value & 0xFF);
  p[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

inline void SetLong(MemBuffer& buffer, std::size_t offset, std::int32_t value) {
  if (!buffer.Holds(offset, 4)) return;
  const auto v = static_cast<std::uint32_t>(value);
  std::uint8_t* p = buffer.data() + offset;
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  p[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
  p[3] = static_cast<std::uint8_t>((v >> 24) & 0xFF);
}

}  // namespace kal
