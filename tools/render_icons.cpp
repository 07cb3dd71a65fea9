// Draws the program icon at each size given into the layout of a desktop icon
// theme, OUT/<size>x<size>/apps/org.kalendrina.Kalendrina.png, from the same
// artwork code the program draws its own icons with. Run by the build.
//
//   render_icons OUT SIZE...
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/images.h"
#include "ui/images.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: render_icons OUT SIZE...\n");
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string text = argv[i];
    int size = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (ec != std::errc() || end != text.data() + text.size() || size < 1 || size > 1024) {
      std::fprintf(stderr, "render_icons: not a size from 1 to 1024: '%s'\n", argv[i]);
      return 1;
    }
    const std::string square = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / square / "apps";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = (folder / "org.kalendrina.Kalendrina.png").string();
    const kal::Image icon = kal::ProgramIcon(size);
    if (!kal::WritePng(icon.pixels, path, icon.alpha)) {
      std::fprintf(stderr, "render_icons: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
