#include "platform/pdf_canvas.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "platform/encoding.h"
#include "platform/file_system.h"

namespace kal {

struct PdfCanvas::State {
  explicit State(const std::string& path) : file(path) {}
  // The document goes to a temporary file renamed over the target once it is
  // whole, so a full disk is noticed (cairo's own file output drops the error
  // of the final flush) and never leaves half a file behind.
  AtomicFileWriter file;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  TextRenderer* measurer = nullptr;
  int width = 0;
  int height = 0;
  bool pageOpen = false;
  bool anythingOnPage = false;
  Rect clip;
  // Font size in device pixels per point of cell height, found once per face and weight.
  std::map<std::pair<std::string, int>, std::pair<double, double>> cellScale;  // (size per pixel, ascent per size)

  void SetColour(Colour c) {
    cairo_set_source_rgb(cr, RedOf(c) / 255.0, GreenOf(c) / 255.0, BlueOf(c) / 255.0);
  }
  void ApplyClip() {
    cairo_reset_clip(cr);
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
  }
  void Rectangle(Colour c, long long x1, long long y1, long long x2, long long y2) {  // half-open
    if (x2 <= x1 || y2 <= y1) return;
    SetColour(c);
    cairo_rectangle(cr, static_cast<double>(x1), static_cast<double>(y1), static_cast<double>(x2 - x1),
                    static_cast<double>(y2 - y1));
    cairo_fill(cr);
    anythingOnPage = true;
  }
};

PdfCanvas::PdfCanvas(const std::string& path, int pageWidth, int pageHeight, int dpi, TextRenderer& measurer,
                     const std::string& title)
    : state_(std::make_unique<State>(path)) {
  State& s = *state_;
  s.measurer = &measurer;
  s.width = pageWidth;
  s.height = pageHeight;
  s.clip = Rect{0, 0, pageWidth, pageHeight};
  const double points = 72.0 / std::max(dpi, 1);
  if (!s.file.ok()) return;
  const auto write = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* file = static_cast<AtomicFileWriter*>(closure);
    file->Write(data, length);
    return file->ok() ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
  };
  s.surface = cairo_pdf_surface_create_for_stream(write, &s.file, pageWidth * points, pageHeight * points);
  if (cairo_surface_status(s.surface) != CAIRO_STATUS_SUCCESS) return;
  cairo_pdf_surface_set_metadata(s.surface, CAIRO_PDF_METADATA_TITLE, Cp1252ToUtf8(title).c_str());
  cairo_pdf_surface_set_metadata(s.surface, CAIRO_PDF_METADATA_CREATOR, "Kalendrina");
  s.cr = cairo_create(s.surface);
  cairo_scale(s.cr, points, points);
  // Device pixels in, device pixels out: no smoothing of the rectangles' edges is wanted.
  cairo_set_antialias(s.cr, CAIRO_ANTIALIAS_NONE);
}

PdfCanvas::~PdfCanvas() {
  if (state_->cr != nullptr) cairo_destroy(state_->cr);
  if (state_->surface != nullptr) cairo_surface_destroy(state_->surface);
}

bool PdfCanvas::ok() const {
  return state_->surface != nullptr && cairo_surface_status(state_->surface) == CAIRO_STATUS_SUCCESS &&
         state_->cr != nullptr;
}

bool PdfCanvas::StartPage() {
  if (!ok()) return false;
  state_->pageOpen = true;
  state_->anythingOnPage = false;
  state_->clip = Rect{0, 0, state_->width, state_->height};
  cairo_reset_clip(state_->cr);
  return true;
}

bool PdfCanvas::EndPage() {
  if (!ok() || !state_->pageOpen) return false;
  cairo_show_page(state_->cr);
  state_->pageOpen = false;
  ++pages_;
  return cairo_status(state_->cr) == CAIRO_STATUS_SUCCESS;
}

void PdfCanvas::Fill(Colour colour, int x1, int y1, int x2, int y2) {
  if (!ok()) return;
  state_->Rectangle(colour, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1LL, std::max(y1, y2) + 1LL);
}

void PdfCanvas::Frame(Colour colour, int penWidth, int x1, int y1, int x2, int y2) {
  if (!ok()) return;
  const long long pen = std::max(penWidth, 1);
  const long long before = (pen - 1) / 2;
  const long long left = std::min<long long>(x1, x2 + 1LL) - before;
  const long long right = std::max<long long>(x1, x2 + 1LL) - before;
  const long long top = std::min<long long>(y1, y2 + 1LL) - before;
  const long long bottom = std::max<long long>(y1, y2 + 1LL) - before;
  State& s = *state_;
  s.Rectangle(colour, left, top, right + pen, top + pen);
  s.Rectangle(colour, left, bottom, right + pen, bottom + pen);
  s.Rectangle(colour, left, top, left + pen, bottom + pen);
  s.Rectangle(colour, right, top, right + pen, bottom + pen);
}

void PdfCanvas::Text(int x, int y, int align, Colour colour, const FontDescription& font, std::string_view line) {
  if (!ok() || line.empty() || font.height <= 0) return;
  State& s = *state_;
  const int width = s.measurer->Measure(font, line).width;
  double left = x;
  if (align == 1) left = x - width;
  if (align == 2) left = x - width / 2;

  cairo_select_font_face(s.cr, font.face.c_str(), CAIRO_FONT_SLANT_NORMAL,
                         font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  // The program asks for fonts by cell height (ascent + descent), cairo by em size.
  auto key = std::make_pair(font.face, font.weight);
  auto found = s.cellScale.find(key);
  if (found == s.cellScale.end()) {
    cairo_set_font_size(s.cr, 1000.0);
    cairo_font_extents_t e;
    cairo_font_extents(s.cr, &e);
    const double cell = e.ascent + e.descent;
    found = s.cellScale.emplace(key, std::make_pair(cell > 0 ? 1000.0 / cell : 1.0, cell > 0 ? e.ascent / 1000.0 : 0.8))
                .first;
  }
  const double size = font.height * found->second.first;
  cairo_set_font_size(s.cr, size);
  const std::string utf8 = Cp1252ToUtf8(line);
  // Stretch to the measured width, so that what was laid out with our own
  // metrics ends where the layout says.
  cairo_text_extents_t te;
  cairo_text_extents(s.cr, utf8.c_str(), &te);
  cairo_save(s.cr);
  cairo_translate(s.cr, left, y + size * found->second.second);
  if (te.x_advance > 0 && width > 0) cairo_scale(s.cr, width / te.x_advance, 1.0);
  cairo_move_to(s.cr, 0, 0);
  s.SetColour(colour);
  cairo_show_text(s.cr, utf8.c_str());
  cairo_restore(s.cr);
  if (font.underline) s.Rectangle(colour, static_cast<long long>(left), y + font.height - 1LL,
                                  static_cast<long long>(left) + width, static_cast<long long>(y) + font.height);
  s.anythingOnPage = true;
}

void PdfCanvas::SetClip(const Rect& clip) {
  if (!ok()) return;
  state_->clip = clip.Intersect(Rect{0, 0, state_->width, state_->height});
  state_->ApplyClip();
}

Rect PdfCanvas::Clip() const { return state_->clip; }

TextRenderer& PdfCanvas::Measurer() { return *state_->measurer; }

bool PdfCanvas::Finish(std::string& error) {
  State& s = *state_;
  if (s.surface == nullptr) {
    error = s.file.ok() ? "cannot create the PDF" : s.file.error();
    return false;
  }
  if (s.cr != nullptr) {
    if (s.pageOpen) EndPage();
    cairo_destroy(s.cr);
    s.cr = nullptr;
  }
  cairo_surface_finish(s.surface);
  const cairo_status_t status = cairo_surface_status(s.surface);
  cairo_surface_destroy(s.surface);
  s.surface = nullptr;
  if (status != CAIRO_STATUS_SUCCESS) {
    error = s.file.ok() ? cairo_status_to_string(status) : s.file.error();
    return false;
  }
  if (s.file.Commit()) return true;
  error = s.file.error();
  return false;
}

}  // namespace kal
