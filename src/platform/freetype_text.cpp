#include "platform/freetype_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "platform/encoding.h"

namespace kal {

namespace {

// A cell height of 0 asks for the system's default size, as it does with the
// classic font calls; absurd heights are capped so that one bad record cannot
// make the renderer allocate huge glyph masks.
constexpr int kDefaultCellHeight = 16;
constexpr int kMaxCellHeight = 1000;

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The faces the program's own layouts were designed with; all of them are
// drawn with the metric-compatible replacement.
bool IsClassicFace(std::string_view face) {
  static const char* const kClassic[] = {"microsoft sans serif", "ms sans serif", "arial", "geneva"};
  const std::string lower = LowerAscii(face);
  return std::any_of(std::begin(kClassic), std::end(kClassic), [&](const char* f) { return lower == f; });
}

struct Glyph {
  bool loaded = false;
  int advance = 0;
  int left = 0;  // from the pen position
  int top = 0;   // from the baseline, upwards
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> mask;  // width × rows, no padding
};

struct Resolved {
  std::string family;
  std::string file;
  int index = 0;
  bool embolden = false;  // bold asked for, but the family has no bold style
};

}  // namespace

// One font file opened at one size, with its glyph masks.
struct SizedFace {
  FT_Face face = nullptr;
  bool embolden = false;
  int ascender = 0;   // pixels above the baseline
  int descender = 0;  // pixels below the baseline (positive)
  int underlineTop = 0;
  int underlineThickness = 1;
  std::array<Glyph, 256> glyphs;

  ~SizedFace() {
    if (face != nullptr) FT_Done_Face(face);
  }
  int height() const { return ascender + descender; }

  const Glyph& GlyphOf(unsigned char byte) {
    Glyph& g = glyphs[byte];
    if (g.loaded) return g;
    g.loaded = true;
    const FT_UInt index = FT_Get_Char_Index(face, Cp1252ToCodePoint(byte));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    if (embolden) FT_GlyphSlot_Embolden(slot);
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return g;
    const int width = static_cast<int>(bm.width);
    const int rows = static_cast<int>(bm.rows);
    const auto row = [&](int y) {
      return bm.pitch >= 0 ? bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch
                           : bm.buffer + static_cast<std::ptrdiff_t>(rows - 1 - y) * -bm.pitch;
    };
    // Keep only the box that really has ink: the rasteriser's box is the
    // outline's, rounded outwards, and often carries empty edges.
    int x0 = width, x1 = -1, y0 = rows, y1 = -1;
    for (int y = 0; y < rows; ++y) {
      const unsigned char* src = row(y);
      for (int x = 0; x < width; ++x) {
        if (src[x] == 0) continue;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
    if (x1 < 0) return g;
    g.left = slot->bitmap_left + x0;
    g.top = slot->bitmap_top - y0;
    g.width = x1 - x0 + 1;
    g.rows = y1 - y0 + 1;
    g.mask.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows));
    for (int y = 0; y < g.rows; ++y) {
      const unsigned char* src = row(y0 + y) + x0;
      std::copy(src, src + g.width, g.mask.begin() + static_cast<std::ptrdiff_t>(y) * g.width);
    }
    return g;
  }
};

struct FreeTypeTextRenderer::Impl {
  FT_Library library = nullptr;
  FcConfig* config = nullptr;

  bool familiesListed = false;
  std::unordered_set<std::string> families;  // lower case

  std::map<std::pair<std::string, bool>, Resolved> resolved;
  std::map<std::tuple<std::string, int, int, bool>, std::unique_ptr<SizedFace>> faces;
  // Font descriptions seen so far, straight to their sized face (may be null).
  std::map<std::tuple<std::string, int, bool>, SizedFace*> fonts;
  std::vector<std::uint8_t> underlineMask;

  Impl() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
    config = FcInitLoadConfigAndFonts();
  }
  ~Impl() {
    fonts.clear();
    faces.clear();  // the faces before the library that owns them
    if (library != nullptr) FT_Done_FreeType(library);
    if (config != nullptr) FcConfigDestroy(config);
  }

  void ListFamilies() {
    if (familiesListed || config == nullptr) return;
    familiesListed = true;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    if (set != nullptr) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* name = nullptr;
        // A font may carry several family names (localised or style-specific).
        for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n) {
          families.insert(LowerAscii(reinterpret_cast<const char*>(name)));
        }
      }
      FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
  }

  bool Installed(std::string_view faceCp1252) {
    ListFamilies();
    return families.count(LowerAscii(Cp1252ToUtf8(faceCp1252))) != 0;
  }

  // Asks fontconfig for `family` (UTF-8) in the wanted weight; with `strict`
  // the match must really be of that family, not a substitute.
  bool Match(const std::string& family, bool bold, bool strict, Resolved& out) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;

    bool accepted = false;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      std::string matchedFamily;
      FcChar8* name = nullptr;
      const std::string wanted = LowerAscii(family);
      for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
        const std::string candidate = reinterpret_cast<const char*>(name);
        if (n == 0) matchedFamily = candidate;
        if (LowerAscii(candidate) == wanted) {
          matchedFamily = candidate;
          accepted = true;
        }
      }
      if (accepted || !strict) {
        accepted = true;
        out.family = matchedFamily;
        out.file = reinterpret_cast<const char*>(file);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) out.index = index;
        int weight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        out.embolden = bold && weight < FC_WEIGHT_DEMIBOLD;
      }
    }
    FcPatternDestroy(match);
    return accepted;
  }

  const Resolved& Resolve(const std::string& face, bool bold) {
    const auto key = std::make_pair(face, bold);
    auto it = resolved.find(key);
    if (it != resolved.end()) return it->second;
    Resolved r;
    if (config != nullptr) {
      const bool own = !IsClassicFace(face) && Installed(face);
      const bool found = (own && Match(Cp1252ToUtf8(face), bold, true, r)) ||
                         Match("Liberation Sans", bold, true, r) || Match("DejaVu Sans", bold, true, r) ||
                         Match("sans-serif", bold, false, r);
      if (!found) r = Resolved{};
    }
    return resolved.emplace(key, r).first->second;
  }

  SizedFace* Open(const Resolved& r, int height) {
    if (library == nullptr || r.file.empty()) return nullptr;
    const auto key = std::make_tuple(r.file, r.index, height, r.embolden);
    auto it = faces.find(key);
    if (it != faces.end()) return it->second.get();

    auto sized = std::make_unique<SizedFace>();
    if (FT_New_Face(library, r.file.c_str(), r.index, &sized->face) != 0) {
      sized->face = nullptr;
      return faces.emplace(key, nullptr).first->second.get();
    }
    FT_Face face = sized->face;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    // A positive height is the cell height (ascent + descent); a negative one
    // the em size, as the classic font records distinguish them.
    FT_Size_RequestRec request{};
    request.type = height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
    request.height = static_cast<FT_Long>(height > 0 ? height : -height) * 64;
    if (FT_Request_Size(face, &request) != 0) {
      return faces.emplace(key, nullptr).first->second.get();
    }
    const FT_Size_Metrics& m = face->size->metrics;
    sized->embolden = r.embolden;
    if (FT_IS_SCALABLE(face)) {
      // Rounded to the nearest pixel from the exact scale, so that the line
      // height comes out as the cell height asked for (FreeType's own size
      // metrics round both outwards and often add a pixel).
      sized->ascender = static_cast<int>((FT_MulFix(face->ascender, m.y_scale) + 32) >> 6);
      sized->descender = static_cast<int>((FT_MulFix(-face->descender, m.y_scale) + 32) >> 6);
    } else {
      sized->ascender = static_cast<int>((m.ascender + 63) >> 6);
      sized->descender = static_cast<int>((-m.descender + 63) >> 6);
    }
    if (sized->height() <= 0) sized->ascender = std::max(1, static_cast<int>((m.height + 63) >> 6));

    const FT_Pos thickness = FT_MulFix(face->underline_thickness, m.y_scale);
    const FT_Pos below = FT_MulFix(-face->underline_position, m.y_scale);  // centre below the baseline
    sized->underlineThickness = std::max(1, static_cast<int>((thickness + 32) >> 6));
    int top = sized->ascender + static_cast<int>((below - thickness / 2 + 32) >> 6);
    top = std::max(top, sized->ascender);
    top = std::min(top, sized->height() - sized->underlineThickness);
    sized->underlineTop = std::max(0, top);
    return faces.emplace(key, std::move(sized)).first->second.get();
  }

  SizedFace* FaceFor(const FontDescription& font) {
    int height = font.height == 0 ? kDefaultCellHeight : font.height;
    height = std::clamp(height, -kMaxCellHeight, kMaxCellHeight);
    const bool bold = font.weight >= 600;
    const auto key = std::make_tuple(font.face, height, bold);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    SizedFace* face = Open(Resolve(font.face, bold), height);
    fonts.emplace(key, face);
    return face;
  }
};

FreeTypeTextRenderer::FreeTypeTextRenderer() : impl_(std::make_unique<Impl>()) {}
FreeTypeTextRenderer::~FreeTypeTextRenderer() = default;

bool FreeTypeTextRenderer::ok() const {
  return impl_->library != nullptr && impl_->config != nullptr &&
         !impl_->Resolve("Microsoft Sans Serif", false).file.empty();
}

TextExtent FreeTypeTextRenderer::Measure(const FontDescription& font, std::string_view text) {
  SizedFace* face = impl_->FaceFor(font);
  if (face == nullptr) return TextExtent{};
  int width = 0;
  for (const char c : text) width += face->GlyphOf(static_cast<unsigned char>(c)).advance;
  return TextExtent{width, face->height()};
}

void FreeTypeTextRenderer::Layout(const FontDescription& font, std::string_view text,
                                  const std::function<void(const PlacedGlyph&)>& sink) {
  SizedFace* face = impl_->FaceFor(font);
  if (face == nullptr) return;
  int pen = 0;
  for (const char c : text) {
    const Glyph& g = face->GlyphOf(static_cast<unsigned char>(c));
    if (!g.mask.empty()) {
      PlacedGlyph placed;
      placed.x = pen + g.left;
      placed.y = face->ascender - g.top;
      placed.width = g.width;
      placed.height = g.rows;
      placed.pitch = g.width;
      placed.coverage = g.mask.data();
      sink(placed);
    }
    pen += g.advance;
  }
  if (font.underline && pen > 0) {
    const std::size_t size = static_cast<std::size_t>(pen) * static_cast<std::size_t>(face->underlineThickness);
    if (impl_->underlineMask.size() < size) impl_->underlineMask.assign(size, 255);
    PlacedGlyph line;
    line.x = 0;
    line.y = face->underlineTop;
    line.width = pen;
    line.height = face->underlineThickness;
    line.pitch = pen;
    line.coverage = impl_->underlineMask.data();
    sink(line);
  }
}

bool FreeTypeTextRenderer::FontInstalled(std::string_view face) { return impl_->Installed(face); }

std::string FreeTypeTextRenderer::ResolvedFamily(const FontDescription& font) {
  return impl_->Resolve(font.face, font.weight >= 600).family;
}

std::string FreeTypeTextRenderer::ResolvedFile(const FontDescription& font) {
  return impl_->Resolve(font.face, font.weight >= 600).file;
}

}  // namespace kal
