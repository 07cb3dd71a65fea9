#include "wallpaper/bmp_file.h"

#include "platform/file_system.h"

namespace kal {

namespace {

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 255));
  out.push_back(static_cast<char>((v >> 8) & 255));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

int BmpRowStride(int width) { return (width * 3 + 3) / 4 * 4; }

std::string EncodeBmp24(const Surface& surface) {
  const int w = surface.width();
  const int h = surface.height();
  const std::uint32_t stride = static_cast<std::uint32_t>(BmpRowStride(w));
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(h);
  std::string out;
  out.reserve(54 + imageSize);
  out += "BM";
  Put32(out, 54 + imageSize);
  Put32(out, 0);  // two reserved words
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(h));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, imageSize);
  out.append(16, '\0');
  const std::size_t rowStart = out.size();
  out.resize(rowStart + imageSize, '\0');
  char* row = out.data() + rowStart;
  for (int y = h - 1; y >= 0; --y, row += stride) {
    const Colour* src = surface.Row(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = static_cast<char>(BlueOf(src[x]));
      row[3 * x + 1] = static_cast<char>(GreenOf(src[x]));
      row[3 * x + 2] = static_cast<char>(RedOf(src[x]));
    }
  }
  return out;
}

bool SaveBitmapAsBmp(const std::string& path, const Surface& surface, std::string* error) {
  const std::string bytes = EncodeBmp24(surface);
  AtomicFileWriter writer(path);
  writer.Write(bytes.data(), bytes.size());
  if (writer.Commit()) return true;
  if (error != nullptr) *error = writer.error();
  return false;
}

}  // namespace kal
