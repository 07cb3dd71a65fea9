#include "ui/images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "ui/painter.h"

namespace kal {

namespace {

using namespace paint;
// ---------------------------------------------------------------------------
// Small bitmaps for buttons and lists

const Colour kInk = Rgb(28, 30, 36);

Image ArrowUp() {
  return FromPixels({"........",  //
                     "........",  //
                     "...##...",  //
                     "..####..",  //
                     ".######.",  //
                     "########",  //
                     "........",  //
                     "........"},
                    {{'#', kInk}});
}

Image BigRight() {
  return FromPixels({"........",  //
                     "........",  //
                     ".#......",  //
                     ".##.....",  //
                     ".###....",  //
                     ".####...",  //
                     ".#####..",  //
                     ".######.",  //
                     ".######.",  //
                     ".#####..",  //
                     ".####...",  //
                     ".###....",  //
                     ".##.....",  //
                     ".#......",  //
                     "........",  //
                     "........"},
                    {{'#', kInk}});
}

Image ReturnKey() {
  return FromPixels({"........",  //
                     "......##",  //
                     "......##",  //
                     "..#...##",  //
                     ".##...##",  //
                     "########",  //
                     ".##.....",  //
                     "..#....."},
                    {{'#', kInk}});
}

Image SmallX() {
  return FromPixels({"........",  //
                     ".##..##.",  //
                     "..####..",  //
                     "...##...",  //
                     "...##...",  //
                     "..####..",  //
                     ".##..##.",  //
                     "........"},
                    {{'#', kInk}});
}

const Rgba kWhiteMatte = Solid(255, 255, 255);

// The square of check boxes, `size` pixels, with a soft inner shade.
Canvas CheckSquare(int size, float inset) {
  Canvas c(size, size);
  const float lo = inset, hi = size - inset;
  c.Fill(Box(lo, lo, hi, hi, 2.0f), Flat(Solid(86, 96, 112)));
  c.Fill(Box(lo + 1, lo + 1, hi - 1, hi - 1, 1.2f),
         Vertical(lo + 1, Solid(226, 231, 238), hi - 1, Solid(255, 255, 255)));
  return c;
}

Image CheckBox(bool checked) {
  Canvas c = CheckSquare(16, 1.0f);
  if (checked) {
    c.Fill(Union({Segment(4.6f, 8.4f, 7.0f, 11.0f, 1.25f), Segment(7.0f, 11.0f, 11.8f, 4.8f, 1.25f)}),
           Vertical(4, Solid(40, 150, 70), 12, Solid(20, 105, 45)));
  }
  return ToBitmap(c, kWhiteMatte);
}

Image PlainBox() { return ToBitmap(CheckSquare(15, 1.0f), kWhiteMatte); }

Image RedX() {
  Canvas c(15, 15);
  const Sdf cross = Union({Segment(3.5f, 3.5f, 11.5f, 11.5f, 1.6f), Segment(11.5f, 3.5f, 3.5f, 11.5f, 1.6f)});
  c.Fill(Offset(cross, 0.9f), Flat(Solid(120, 16, 16)));
  c.Fill(cross, Vertical(2, Solid(240, 80, 70), 13, Solid(190, 28, 28)));
  return ToBitmap(c, kWhiteMatte);
}

const Rgba kFolderEdge = Solid(168, 118, 24);
const Rgba kFolderLight = Solid(255, 219, 110);
const Rgba kFolderDark = Solid(236, 178, 52);

// A closed folder: a tab and a body, in the given box.
void PaintFolder(Canvas& c, float x0, float y0, float x1, float y1) {
  const float tabRight = x0 + (x1 - x0) * 0.45f;
  const Sdf tab = Box(x0, y0, tabRight, y0 + 4, 1.2f);
  const Sdf body = Box(x0, y0 + 2, x1, y1, 1.2f);
  c.Fill(Union({tab, body}), Flat(kFolderEdge));
  c.Fill(Box(x0 + 1, y0 + 1, tabRight - 1, y0 + 4, 0.6f), Flat(kFolderDark));
  c.Fill(Box(x0 + 1, y0 + 3, x1 - 1, y1 - 1, 0.6f), Vertical(y0 + 3, kFolderLight, y1, kFolderDark));
  // A thin highlight along the top of the body.
  c.Fill(Box(x0 + 1, y0 + 3, x1 - 1, y0 + 4), Flat(Solid(255, 236, 170)));
}

Image FolderClosed() {
  Canvas c(16, 16);
  PaintFolder(c, 1, 2, 15, 14);
  return ToBitmap(c, kWhiteMatte);
}

Image FolderOpen() {
  Canvas c(16, 16);
  PaintFolder(c, 1, 2, 14, 14);
  // A sheet of paper peeking out, then the front flap tilted open.
  c.Fill(Box(3, 5, 12, 12), Flat(Solid(150, 150, 150)));
  c.Fill(Box(4, 6, 11, 12), Flat(Solid(252, 252, 252)));
  const Sdf flap = Polygon({4.0f, 8.0f, 15.5f, 8.0f, 13.0f, 14.0f, 1.0f, 14.0f});
  c.Fill(Offset(flap, 0.5f), Flat(kFolderEdge));
  c.Fill(Offset(flap, -0.5f), Vertical(8, Solid(255, 232, 140), 14, kFolderDark));
  return ToBitmap(c, kWhiteMatte);
}

Image FolderIcon() {
  Canvas c(15, 13);
  PaintFolder(c, 0.5f, 0.5f, 14.5f, 12.5f);
  return ToBitmap(c, kWhiteMatte);
}

Image UpFolderIcon() {
  Canvas c(15, 13);
  PaintFolder(c, 0.5f, 0.5f, 14.5f, 12.5f);
  const Sdf arrow = Union({Polygon({7.5f, 3.6f, 11.2f, 7.4f, 3.8f, 7.4f}), Box(6.3f, 6.5f, 8.7f, 10.6f)});
  c.Fill(Offset(arrow, 0.8f), Flat(Solid(20, 80, 40, 0.9f)));
  c.Fill(arrow, Flat(Solid(60, 170, 80)));
  return ToBitmap(c, kWhiteMatte);
}

Image DriveIcon() {
  Canvas c(16, 16);
  c.Fill(Box(1, 4, 15, 13, 1.5f), Flat(Solid(80, 86, 96)));
  c.Fill(Box(2, 5, 14, 12, 0.8f), Vertical(5, Solid(224, 228, 234), 12, Solid(168, 174, 184)));
  c.Fill(Box(3, 9, 10, 10), Flat(Solid(96, 102, 112)));
  c.Fill(Circle(12.0f, 9.5f, 1.1f), Flat(Solid(40, 200, 70)));
  return ToBitmap(c, kWhiteMatte);
}

Image FileIcon() {
  Canvas c(16, 16);
  const Sdf page = Polygon({3.0f, 1.0f, 10.0f, 1.0f, 14.0f, 5.0f, 14.0f, 15.0f, 3.0f, 15.0f});
  c.Fill(page, Flat(Solid(96, 104, 118)));
  c.Fill(Polygon({4.0f, 2.0f, 9.5f, 2.0f, 13.0f, 5.5f, 13.0f, 14.0f, 4.0f, 14.0f}),
         Vertical(2, Solid(255, 255, 255), 14, Solid(232, 236, 242)));
  c.Fill(Polygon({9.0f, 1.5f, 13.5f, 6.0f, 9.0f, 6.0f}), Flat(Solid(150, 158, 172)));
  c.Fill(Polygon({9.8f, 2.8f, 12.2f, 5.2f, 9.8f, 5.2f}), Flat(Solid(214, 220, 230)));
  for (int i = 0; i < 4; ++i) {
    const float y = 7.0f + 2.0f * i;
    c.Fill(Box(5, y, i == 3 ? 9.0f : 12.0f, y + 1), Flat(Solid(150, 170, 200)));
  }
  return ToBitmap(c, kWhiteMatte);
}

Image PopupIcon() {
  Canvas c(16, 16);
  c.Fill(Box(1, 2, 15, 14, 1.5f), Flat(Solid(86, 96, 112)));
  c.Fill(Box(2, 3, 14, 13, 0.8f), Flat(Solid(250, 251, 253)));
  c.Fill(Box(2, 5, 14, 8), Flat(Solid(30, 60, 140)));
  c.Fill(Box(4, 6, 10, 7), Flat(Solid(250, 251, 253)));
  c.Fill(Box(4, 9.5f, 12, 10.5f), Flat(Solid(120, 128, 140)));
  c.Fill(Box(4, 11.5f, 9, 12.5f), Flat(Solid(120, 128, 140)));
  c.Fill(Box(4, 3.8f, 8, 4.5f), Flat(Solid(160, 168, 180)));
  return ToBitmap(c, kWhiteMatte);
}

Image BackgroundTexture() { return Texture(Solid(176, 194, 216), Solid(198, 213, 231), 1.0f, 1.2f, 20240505u); }

Image PopupTexture() { return Texture(Solid(234, 233, 228), Solid(246, 245, 241), 1.0f, 0.8f, 777u); }

// The average colour of the screen texture: what the title's soft edges mix with.
Rgba BackgroundMatte() {
  static const Image texture = BackgroundTexture();
  double r = 0, g = 0, b = 0;
  for (Colour c : texture.pixels.pixels()) {
    r += RedOf(c);
    g += GreenOf(c);
    b += BlueOf(c);
  }
  const double n = static_cast<double>(texture.pixels.pixels().size());
  return Rgba{static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n), 1.0f};
}

// ---------------------------------------------------------------------------
// The title artwork: the program's name in geometric letters of our own.

struct Letter {
  Sdf shape;
  float width;
};

struct TitleMetrics {
  float ascender = 1.0f;  // top of K, l, d
  float xTop = 7.0f;      // top of the small letters
  float baseline = 21.5f;
  float half = 1.9f;      // half the stroke width
  float stretch = 1.25f;  // how much wider than tall the bowls are
  float BowlCentreY() const { return (xTop + baseline) / 2; }
  float BowlRy() const { return (baseline - xTop) / 2 - half; }
  float BowlRx() const { return BowlRy() * stretch; }
};

Sdf Stem(float x, float top, float bottom, float half) { return Box(x - half, top, x + half, bottom); }

Letter LetterK(const TitleMetrics& m) {
  const float t = m.half, w = 15.0f;
  const float join = m.baseline - (m.baseline - m.ascender) * 0.42f;
  const Sdf arm = Segment(2 * t - 0.3f, join + 1.5f, w - t + 0.4f, m.ascender + t * 0.8f, t);
  const Sdf leg = Segment(2 * t + 2.2f, join - 0.8f, w - t + 0.6f, m.baseline, t);
  const Sdf strokes = Union({Stem(t, m.ascender, m.baseline, t), Intersect(arm, Below(m.ascender)),
                             Intersect(leg, Above(m.baseline))});
  return {Intersect(strokes, LeftOf(w + 0.4f)), w + 0.4f};
}

Letter Bowl(const TitleMetrics& m) {
  const float t = m.half, rx = m.BowlRx(), ry = m.BowlRy();
  return {Ring(t + rx, m.BowlCentreY(), rx, ry, t), 2 * (t + rx)};
}

Letter LetterA(const TitleMetrics& m) {
  Letter bowl = Bowl(m);
  const float stemX = bowl.width - m.half;
  return {Union({bowl.shape, Stem(stemX, m.xTop, m.baseline, m.half)}), bowl.width};
}

Letter LetterD(const TitleMetrics& m) {
  Letter bowl = Bowl(m);
  const float stemX = bowl.width - m.half;
  return {Union({bowl.shape, Stem(stemX, m.ascender, m.baseline, m.half)}), bowl.width};
}

Letter LetterE(const TitleMetrics& m) {
  const float t = m.half, rx = m.BowlRx(), ry = m.BowlRy(), cx = t + rx, cy = m.BowlCentreY();
  // The ring opens at the lower right, below the bar.
  const Sdf opening = [=](float x, float y) {
    const float dx = x - cx, dy = y - cy;
    return std::max(t * 0.9f - dy, (dy - 1.2f * dx) / 1.562f);
  };
  const Sdf ring = Subtract(Ring(cx, cy, rx, ry, t), opening);
  const Sdf bar = Box(t * 0.4f, cy - t * 0.85f, 2 * rx + t * 1.6f, cy + t * 0.85f);
  return {Union({ring, bar}), 2 * (t + rx)};
}

Letter LetterN(const TitleMetrics& m) {
  const float t = m.half, rx = m.BowlRx(), ry = m.BowlRy(), cy = m.BowlCentreY();
  const Sdf arch = Intersect(Ring(t + rx, cy, rx, ry, t), Above(cy));
  return {Union({Stem(t, m.xTop, m.baseline, t), arch, Stem(2 * rx + t, cy, m.baseline, t)}), 2 * (t + rx)};
}

Letter LetterR(const TitleMetrics& m) {
  const float t = m.half, rx = m.BowlRx(), ry = m.BowlRy(), cx = t + rx, cy = m.BowlCentreY();
  const Sdf ring = Ring(cx, cy, rx, ry, t);
  const Sdf arc = [=](float x, float y) { return std::max({ring(x, y), y - (cy - ry * 0.35f), x - (cx + rx * 0.55f)}); };
  return {Union({Stem(t, m.xTop, m.baseline, t), arc}), cx + rx * 0.55f + t * 0.4f};
}

Letter LetterI(const TitleMetrics& m) {
  const float t = m.half;
  return {Union({Stem(t, m.xTop, m.baseline, t), Circle(t, m.ascender + t, t * 1.1f)}), 2 * t};
}

Letter LetterL(const TitleMetrics& m) {
  const float t = m.half;
  return {Stem(t, m.ascender, m.baseline, t), 2 * t};
}

Image Title() {
  const int w = 173, h = 23;
  TitleMetrics m;
  const std::vector<Letter> word = {LetterK(m), LetterA(m), LetterL(m), LetterE(m), LetterN(m),
                                    LetterD(m), LetterR(m), LetterI(m), LetterN(m), LetterA(m)};
  float inked = 0;
  for (const Letter& l : word) inked += l.width;
  // Spread the letters over the whole width, leaving room for the shadow.
  const float gap = (w - 3.0f - inked) / static_cast<float>(word.size() - 1);
  std::vector<Sdf> placed;
  float x = 1.0f;
  for (const Letter& l : word) {
    placed.push_back(Translate(l.shape, x, 0));
    x += l.width + gap;
  }
  const Sdf text = Union(placed);
  Canvas c(w, h);
  c.Fill(Translate(text, 1.0f, 1.2f), Flat(Solid(10, 24, 60, 0.35f)));
  c.Fill(text, Vertical(m.ascender, Solid(44, 104, 186), m.baseline, Solid(14, 40, 108)));
  return ToBitmap(c, BackgroundMatte());
}

// ---------------------------------------------------------------------------
// Program icons: a calendar page.

enum class PageStyle { Heart, Days, Bold };

// Drawn on a 32 x 32 grid, shown at size x size pixels.
Image CalendarIcon(PageStyle style, int size = 32) {
  Canvas c(size, size, static_cast<float>(size) / 32.0f);
  const bool bold = style == PageStyle::Bold;
  const float x0 = bold ? 2.0f : 3.0f, x1 = bold ? 30.0f : 29.0f, y0 = 5.0f, y1 = bold ? 30.0f : 29.5f;
  const float band = bold ? 13.0f : 12.0f;
  // Soft shadow, page edge, page.
  c.Fill(Offset(Box(x0 + 1, y0 + 1.5f, x1 + 1, y1 + 1.2f, 3.5f), 0.6f), Flat(Solid(0, 0, 0, 0.22f)));
  c.Fill(Box(x0, y0, x1, y1, 3.5f), Flat(Solid(70, 78, 92)));
  const float e = bold ? 1.6f : 1.0f;
  c.Fill(Box(x0 + e, y0 + e, x1 - e, y1 - e, 2.6f), Vertical(band, Solid(255, 255, 255), y1, Solid(226, 232, 240)));
  // The coloured band across the top.
  c.Fill(Intersect(Box(x0 + e, y0 + e, x1 - e, y1 - e, 2.6f), Above(band)),
         Vertical(y0, Solid(240, 84, 72), band, Solid(196, 38, 40)));
  c.Fill(Box(x0 + e, band - 0.01f, x1 - e, band + (bold ? 1.6f : 1.0f)), Flat(Solid(150, 28, 30)));
  // Binder rings.
  for (float rx : {bold ? 10.0f : 10.5f, bold ? 22.0f : 21.5f}) {
    c.Fill(Segment(rx, 2.6f, rx, 8.0f, bold ? 1.9f : 1.5f), Flat(Solid(60, 64, 74)));
    c.Fill(Segment(rx - 0.3f, 3.0f, rx - 0.3f, 7.2f, 0.55f), Flat(Solid(200, 204, 212)));
  }
  const float top = band + (bold ? 1.6f : 1.0f);
  if (style == PageStyle::Days) {
    // Three weeks of day squares, today in red.
    for (int row = 0; row < 3; ++row) {
      for (int col = 0; col < 5; ++col) {
        const float bx = 6.0f + col * 4.4f, by = top + 2.6f + row * 4.4f;
        const bool today = row == 1 && col == 3;
        c.Fill(Box(bx, by, bx + 3.2f, by + 3.2f, 0.5f),
               Flat(today ? Solid(214, 48, 46) : Solid(150, 164, 184)));
      }
    }
  } else {
    const float size = bold ? 11.5f : 10.0f;
    const float tip = y1 - (bold ? 2.4f : 2.6f);
    c.Fill(Heart(16.0f, tip, size), Vertical(tip - size, Solid(246, 86, 92), tip, Solid(200, 30, 50)));
    if (!bold) c.Fill(Circle(12.6f, tip - size * 0.78f, 1.2f), Flat(Solid(255, 255, 255, 0.55f)));
  }
  return ToIcon(c);
}

// ---------------------------------------------------------------------------

struct Catalogue {
  std::map<std::string, Image, std::less<>> images;
  std::vector<std::string_view> names;
  void Add(std::string_view name, Image image) {
    auto [it, inserted] = images.emplace(std::string(name), std::move(image));
    if (inserted) names.push_back(it->first);
  }
};

const Catalogue& Images() {
  static const Catalogue catalogue = [] {
    Catalogue c;
    const Image up = ArrowUp();
    const Image left = Transpose(up);
    c.Add("ARROW_UP", up);
    c.Add("ARROW_DOWN", FlipVertical(up));
    c.Add("ARROW_LEFT", left);
    c.Add("ARROW_RIGHT", FlipHorizontal(left));
    c.Add("RETURN", ReturnKey());
    c.Add("SMALL_X", SmallX());
    const Image bigRight = BigRight();
    c.Add("BIG_LEFT", FlipHorizontal(bigRight));
    c.Add("BIG_RIGHT", bigRight);
    c.Add("BOX", PlainBox());
    c.Add("RED_X", RedX());
    c.Add("CHECKED_BOX", CheckBox(true));
    c.Add("UNCHECKED_BOX", CheckBox(false));
    c.Add("FOLDER_OPEN", FolderOpen());
    c.Add("FOLDER_CLOSED", FolderClosed());
    c.Add("POPUP", PopupIcon());
    c.Add("DRIVE_ICON", DriveIcon());
    c.Add("FILE_ICON", FileIcon());
    c.Add("FOLDER_ICON", FolderIcon());
    c.Add("UPFOLDER_ICON", UpFolderIcon());
    c.Add("TITLE", Title());
    c.Add(BackgroundImage, BackgroundTexture());
    c.Add(PopupTextureImage, PopupTexture());
    c.Add("PROGRAM", CalendarIcon(PageStyle::Heart));
    c.Add("LARGE", CalendarIcon(PageStyle::Days));
    c.Add("SMALL", CalendarIcon(PageStyle::Bold));
    return c;
  }();
  return catalogue;
}

}  // namespace

const Image* FindImage(std::string_view name) {
  const Catalogue& c = Images();
  const auto it = c.images.find(name);
  return it == c.images.end() ? nullptr : &it->second;
}

const std::vector<std::string_view>& ImageNames() { return Images().names; }

Image ProgramIcon(int size) {
  // The heart's details blur below 32 pixels; the small icon's bolder page reads better.
  return CalendarIcon(size < 32 ? PageStyle::Bold : PageStyle::Heart, std::max(1, size));
}

}  // namespace kal
