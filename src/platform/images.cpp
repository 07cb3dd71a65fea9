#include "platform/images.h"

#include <SDL.h>
#include <SDL_image.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <random>

namespace kal {

namespace {

constexpr long long kMaxPixels = 100'000'000;

void StartDecoder() {
  static std::once_flag once;
  // Only the format libraries are loaded; SDL itself needs no subsystem for
  // surfaces, so this works on machines without any display.
  std::call_once(once, [] { IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG | IMG_INIT_TIF | IMG_INIT_WEBP); });
}

bool SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

void SyncFolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool LoadImageFile(const std::string& path, Surface& out) {
  StartDecoder();
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return false;
  const long long pixels = static_cast<long long>(loaded->w) * loaded->h;
  if (loaded->w <= 0 || loaded->h <= 0 || pixels > kMaxPixels) {
    SDL_FreeSurface(loaded);
    return false;
  }
  // JPEG arrives as three bytes per pixel without alpha: one pass turns it
  // into our form, without the general conversion's intermediate copy.
  if (loaded->format->format == SDL_PIXELFORMAT_RGB24) {
    if (SDL_MUSTLOCK(loaded)) SDL_LockSurface(loaded);
    Surface result(loaded->w, loaded->h);
    for (int y = 0; y < loaded->h; ++y) {
      const Uint8* src = static_cast<const Uint8*>(loaded->pixels) + static_cast<std::ptrdiff_t>(y) * loaded->pitch;
      Colour* dst = result.Row(y);
      for (int x = 0; x < loaded->w; ++x, src += 3) dst[x] = Rgb(src[0], src[1], src[2]);
    }
    if (SDL_MUSTLOCK(loaded)) SDL_UnlockSurface(loaded);
    SDL_FreeSurface(loaded);
    out = std::move(result);
    return true;
  }
  // ABGR8888 holds each pixel as the 32-bit value 0xAABBGGRR, the program's
  // colour form plus alpha.
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return false;
  if (SDL_MUSTLOCK(rgba)) SDL_LockSurface(rgba);
  Surface result(rgba->w, rgba->h);
  for (int y = 0; y < rgba->h; ++y) {
    const auto* src = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(rgba->pixels) +
                                                      static_cast<std::ptrdiff_t>(y) * rgba->pitch);
    Colour* dst = result.Row(y);
    for (int x = 0; x < rgba->w; ++x) {
      const Uint32 p = src[x];
      const Uint32 a = p >> 24;
      if (a == 255) {
        dst[x] = p & 0x00FFFFFF;
      } else {
        const auto over = [a](Uint32 c) { return static_cast<int>((c * a + 127) / 255); };
        dst[x] = Rgb(over(p & 255), over((p >> 8) & 255), over((p >> 16) & 255));
      }
    }
  }
  if (SDL_MUSTLOCK(rgba)) SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  out = std::move(result);
  return true;
}

bool WritePng(const Surface& surface, const std::string& path, const std::vector<std::uint8_t>& alpha) {
  if (surface.width() <= 0 || surface.height() <= 0) return false;
  if (!alpha.empty() && alpha.size() != surface.pixels().size()) return false;
  StartDecoder();
  // XBGR8888 reads the same 32-bit values and ignores the unused top byte, so
  // the PNG comes out opaque; with opacity, that byte carries it (ABGR8888).
  std::vector<Colour> withAlpha;
  if (!alpha.empty()) {
    withAlpha.resize(alpha.size());
    for (std::size_t i = 0; i < alpha.size(); ++i) {
      withAlpha[i] = (surface.pixels()[i] & 0x00FFFFFFu) | (static_cast<Colour>(alpha[i]) << 24);
    }
  }
  SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(
      alpha.empty() ? const_cast<Colour*>(surface.pixels().data()) : withAlpha.data(), surface.width(),
      surface.height(), 32, surface.width() * 4, alpha.empty() ? SDL_PIXELFORMAT_XBGR8888 : SDL_PIXELFORMAT_ABGR8888);
  if (view == nullptr) return false;
  std::random_device rd;
  const std::string temp = path + ".tmp" + std::to_string(rd() % 1000000);
  const bool written = IMG_SavePNG(view, temp.c_str()) == 0;
  SDL_FreeSurface(view);
  if (!written || !SyncFile(temp) || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

}  // namespace kal
