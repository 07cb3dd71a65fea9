#include "store/mem_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace kal {
namespace {

TEST(MemBuffer, EmptyBufferAccessorsDoNothing) {
  MemBuffer b;
  std::int32_t v = 77;
  GetByte(b, 0, v);
  GetWord(b, 0, v);
  GetLong(b, 0, v);
  EXPECT_EQ(v, 77);
  SetLong(b, 0, 5);  // must not crash
  std::string t = "keep";
  GetZText(b, 0, t);
  EXPECT_EQ(t, "keep");
}

TEST(MemBuffer, AllocOfZeroKeepsExistingBlock) {
  MemBuffer b;
  BufAlloc(8, b);
  SetLong(b, 0, 1234);
  const std::uint8_t* before = b.data();
  BufAlloc(0, b);
  EXPECT_EQ(b.data(), before);
  EXPECT_EQ(Long(b, 0), 1234);
}

TEST(MemBuffer, LittleEndianWidthsAndSigns) {
  MemBuffer b;
  BufAlloc(8, b);
  FillBytes(b, 0, 8, 0xFF);
  std::int32_t v = 0;
  GetWord(b, 0, v);
  EXPECT_EQ(v, 65535);
  GetLong(b, 0, v);
  EXPECT_EQ(v, -1);
  SetLong(b, 0, 0x11223344);
  EXPECT_EQ(b.data()[0], 0x44);
  EXPECT_EQ(b.data()[3], 0x11);
  SetWord(b, 4, 0x1D431);  // only the low 16 bits are written
  EXPECT_EQ(Word(b, 4), 0xD431u);
}

TEST(MemBuffer, OverlappingMoveForwardKeepsSource) {
  MemBuffer b;
  BufAlloc(16, b);
  for (int i = 0; i < 16; ++i) SetByte(b, i, i + 1);
  MoveBytes(b, 0, b, 4, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Byte(b, 4 + i), static_cast<std::uint32_t>(i + 1)) << i;
}

TEST(MemBuffer, OutOfRangeAccessIsIgnored) {
  MemBuffer b;
  BufAlloc(4, b);
  SetLong(b, 0, 42);
  std::int32_t v = 9;
  GetLong(b, 1, v);  // would read one byte past the block
  EXPECT_EQ(v, 9);
  SetLong(b, 2, -1);
  EXPECT_EQ(Long(b, 0), 42);
}

TEST(MemBuffer, ResizeKeepsContentsAndFailureIsReported) {
  MemBuffer b;
  BufAlloc(4, b);
  PutBytes(b, 0, "abcd");
  BufResize(8, b);
  std::string t;
  GetBytes(b, 0, 4, t);
  EXPECT_EQ(t, "abcd");

  std::string title;
  SetAllocFailureHook([&](const std::string&, const std::string& t2) { title = t2; });
  MemBuffer huge;
  BufAlloc(static_cast<std::size_t>(1) << 62, huge);
  SetAllocFailureHook(nullptr);
  EXPECT_TRUE(huge.empty());
  EXPECT_EQ(title, "Error creating memory buffer!");
}

TEST(MemBuffer, ZeroTerminatedText) {
  MemBuffer b;
  BufAlloc(16, b);
  FillBytes(b, 0, 16, 'x');
  PutZText(b, 2, "hey");
  std::string t;
  GetZText(b, 2, t);
  EXPECT_EQ(t, "hey");
  EXPECT_EQ(Byte(b, 5), 0u);
}

}  // namespace
}  // namespace kal
