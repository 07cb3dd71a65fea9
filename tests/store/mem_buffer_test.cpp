#include "store/mem_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace kal {
namespace {

TEST(MemBuffer, EmptyBufferAndOutOfRangeAccessDoNothing) {
  MemBuffer none;
  std::int32_t v = 77;
  GetByte(none, 0, v);
  GetWord(none, 0, v);
  SetLong(none, 0, 5);
  std::string t = "keep";
  GetZText(none, 0, t);
  MemBuffer b;
  BufAlloc(4, b);
  SetLong(b, 0, 42);
  GetLong(b, 1, v);  // would read one byte past the block
  SetLong(b, 2, -1);
  EXPECT_EQ(v, 77);
  EXPECT_EQ(t, "keep");
  EXPECT_EQ(Long(b, 0), 42);
}

TEST(MemBuffer, LittleEndianWidthsSignsTextAndOverlappingMoves) {
  MemBuffer b;
  BufAlloc(16, b);
  FillBytes(b, 0, 16, 0xFF);
  std::int32_t v = 0;
  GetWord(b, 0, v);
  EXPECT_EQ(v, 65535);
  GetLong(b, 0, v);
  EXPECT_EQ(v, -1);
  SetLong(b, 0, 0x11223344);
  SetWord(b, 4, 0x1D431);  // only the low 16 bits are written
  PutZText(b, 8, "hey");
  EXPECT_EQ(std::string(b.data(), b.data() + 13), std::string("\x44\x33\x22\x11\x31\xD4\xFF\xFF" "hey\0\xFF", 13));
  std::string t;
  GetZText(b, 8, t);
  EXPECT_EQ(t, "hey");
  MoveBytes(b, 0, b, 4, 8);  // forward over itself
  EXPECT_EQ(std::string(b.data() + 4, b.data() + 12), std::string("\x44\x33\x22\x11\x31\xD4\xFF\xFF", 8));
}

TEST(MemBuffer, AllocResizeAndFailure) {
  MemBuffer b;
  BufAlloc(8, b);
  SetLong(b, 0, 0x04030201);
  const std::uint8_t* before = b.data();
  BufAlloc(0, b);  // keeps the block
  EXPECT_EQ(b.data(), before);
  BufResize(32, b);
  EXPECT_EQ(Long(b, 0), 0x04030201);
  std::string title;
  SetAllocFailureHook([&](const std::string&, const std::string& t) { title = t; });
  MemBuffer huge;
  BufAlloc(static_cast<std::size_t>(1) << 62, huge);
  SetAllocFailureHook(nullptr);
  EXPECT_TRUE(huge.empty());
  EXPECT_EQ(title, "Error creating memory buffer!");
}

}  // namespace
}  // namespace kal
