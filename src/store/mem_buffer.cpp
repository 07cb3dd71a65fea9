#include "store/mem_buffer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/memory.h"

namespace kal {

namespace {

std::mutex& HookMutex() {
  static std::mutex m;
  return m;
}

AllocFailureHook& Hook() {
  static AllocFailureHook hook;
  return hook;
}

void ReportFailure(const std::string& text, const std::string& title) {
  AllocFailureHook hook;
  {
    std::lock_guard<std::mutex> lock(HookMutex());
    hook = Hook();
  }
  if (hook) {
    hook(text, title);
  } else {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
}

}  // namespace

MemBuffer::~MemBuffer() { Release(); }

void MemBuffer::Release() {
  if (release_ != nullptr) {
    release_(data_, size_);
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  size_ = 0;
  release_ = nullptr;
}

MemBuffer::MemBuffer(MemBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      release_(std::exchange(other.release_, nullptr)) {}

MemBuffer& MemBuffer::operator=(MemBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    release_ = std::exchange(other.release_, nullptr);
  }
  return *this;
}

void SetAllocFailureHook(AllocFailureHook hook) {
  std::lock_guard<std::mutex> lock(HookMutex());
  Hook() = std::move(hook);
}

void BufAlloc(std::size_t size, MemBuffer& buffer) {
  if (size == 0) return;
  void* block = std::malloc(size);
  buffer.Release();
  if (block == nullptr) {
    // The process heap has no handle of its own on this platform; 0 stands for it.
    ReportFailure("(" + std::to_string(size) + " bytes/0 heap) Please restart your computer.",
                  "Error creating memory buffer!");
    return;
  }
  // The event file image is read into one block; large pages make filling it
  // several times faster.
  PreferLargePages(block, size);
  buffer.data_ = static_cast<std::uint8_t*>(block);
  buffer.size_ = size;
}

void BufResize(std::size_t newSize, MemBuffer& buffer) {
  if (buffer.data_ == nullptr) return;
  if (buffer.release_ != nullptr) {
    // An adopted block cannot grow in place: its bytes move to the heap.
    void* block = std::malloc(newSize == 0 ? 1 : newSize);
    if (block != nullptr) std::memcpy(block, buffer.data_, std::min(newSize, buffer.size_));
    buffer.Release();
    if (block == nullptr) {
      ReportFailure("(" + std::to_string(newSize) + " bytes) Please restart your computer.",
                    "Error resizing memory buffer!");
      return;
    }
    buffer.data_ = static_cast<std::uint8_t*>(block);
    buffer.size_ = newSize;
    return;
  }
  // realloc(p, 0) may free and return null; keep a minimal block instead so
  // that a resize to zero is not mistaken for a failure.
  void* block = std::realloc(buffer.data_, newSize == 0 ? 1 : newSize);
  if (block == nullptr) {
    std::free(buffer.data_);
    buffer.data_ = nullptr;
    buffer.size_ = 0;
    ReportFailure("(" + std::to_string(newSize) + " bytes) Please restart your computer.",
                  "Error resizing memory buffer!");
    return;
  }
  PreferLargePages(block, newSize);
  buffer.data_ = static_cast<std::uint8_t*>(block);
  buffer.size_ = newSize;
}

void BufFree(MemBuffer& buffer) { buffer.Release(); }

void BufAdopt(std::uint8_t* data, std::size_t size, void (*release)(std::uint8_t*, std::size_t), MemBuffer& buffer) {
  buffer.Release();
  buffer.data_ = data;
  buffer.size_ = data != nullptr ? size : 0;
  buffer.release_ = data != nullptr ? release : nullptr;
}

void GetByte(const MemBuffer& buffer, std::size_t offset, std::int32_t& value) {
  if (buffer.Holds(offset, 1)) value = static_cast<std::int32_t>(Byte(buffer, offset));
}

void GetWord(const MemBuffer& buffer, std::size_t offset, std::int32_t& value) {
  if (buffer.Holds(offset, 2)) value = static_cast<std::int32_t>(Word(buffer, offset));
}

void GetLong(const MemBuffer& buffer, std::size_t offset, std::int32_t& value) {
  if (buffer.Holds(offset, 4)) value = Long(buffer, offset);
}

void FillBytes(MemBuffer& buffer, std::size_t offset, std::size_t count, std::uint8_t byte) {
  if (count == 0 || !buffer.Holds(offset, count)) return;
  std::memset(buffer.data() + offset, byte, count);
}

void MoveBytes(const MemBuffer& source, std::size_t sourceOffset, MemBuffer& target,
               std::size_t targetOffset, std::size_t count) {
  if (count == 0 || !source.Holds(sourceOffset, count) || !target.Holds(targetOffset, count)) return;
  // memmove copies as if through a temporary, which gives the backwards copy
  // for overlapping moves to a higher offset.
  std::memmove(target.data() + targetOffset, source.data() + sourceOffset, count);
}

void GetBytes(const MemBuffer& buffer, std::size_t offset, std::size_t n, std::string& text) {
  if (!buffer.Holds(offset, n)) return;
  text.assign(reinterpret_cast<const char*>(buffer.data() + offset), n);
}

void PutBytes(MemBuffer& buffer, std::size_t offset, std::string_view text) {
  if (text.empty() || !buffer.Holds(offset, text.size())) return;
  std::memcpy(buffer.data() + offset, text.data(), text.size());
}

void GetZText(const MemBuffer& buffer, std::size_t offset, std::string& text) {
  if (!buffer.Holds(offset, 0) || offset >= buffer.size()) return;
  const auto* start = buffer.data() + offset;
  const std::size_t limit = buffer.size() - offset;
  const void* zero = std::memchr(start, 0, limit);
  const std::size_t n = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - start) : limit;
  text.assign(reinterpret_cast<const char*>(start), n);
}

void PutZText(MemBuffer& buffer, std::size_t offset, std::string_view text) {
  if (!buffer.Holds(offset, text.size() + 1)) return;
  if (!text.empty()) std::memcpy(buffer.data() + offset, text.data(), text.size());
  buffer.data()[offset + text.size()] = 0;
}

}  // namespace kal
