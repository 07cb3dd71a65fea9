// A page to draw printed output on, in device pixels.
//
// The printed calendar and event list are laid out once and drawn through
// this interface, so the same code paints into our own Surface (tests,
// benchmarks, previews) and into a PDF whose text stays text. Coordinates are
// device pixels of the printer (dpi given by the page); the PDF side scales
// them to points. A canvas is used from one thread; its owner keeps the text
// renderer it was given alive for as long as the canvas.
#pragma once

#include <string_view>

#include "platform/surface.h"
#include "platform/text.h"

namespace kal {

class PageCanvas {
 public:
  virtual ~PageCanvas() = default;

  // Starts a new, white page; false when the page could not be started.
  virtual bool StartPage() = 0;
  // Finishes the current page; false when it could not be written.
  virtual bool EndPage() = 0;

  // Fills x1 <= x <= x2, y1 <= y <= y2 (corners inclusive), as FillBox does.
  virtual void Fill(Colour colour, int x1, int y1, int x2, int y2) = 0;
  // The outline DrawBox draws: columns x1 and x2 + 1, rows y1 and y2 + 1,
  // a wider pen centred on them.
  virtual void Frame(Colour colour, int penWidth, int x1, int y1, int x2, int y2) = 0;
  // One line of Windows-1252 text with its top at y: align 0 left edge at x,
  // 1 right end at x, 2 centred on x. Placement uses Measurer()'s widths.
  virtual void Text(int x, int y, int align, Colour colour, const FontDescription& font, std::string_view line) = 0;
  // Later drawing touches only the half-open rectangle (within the page).
  virtual void SetClip(const Rect& clip) = 0;
  virtual Rect Clip() const = 0;

  virtual TextRenderer& Measurer() = 0;
};

}  // namespace kal
