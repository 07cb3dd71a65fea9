// A PDF file drawn through cairo: the PageCanvas of printing to a file and of
// every CUPS job (CUPS takes PDF from us and converts it for the printer).
//
// Shapes are filled rectangles and text stays text, so a reader can search
// and copy it and pdftotext finds it. Fonts are found by fontconfig under the
// same family names the screen uses, sized to the same cell height, and
// placed with the widths of the TextRenderer given, so the layout is the one
// measured. The canvas writes to its file while pages are ended; Finish
// closes the file and says whether everything reached the disk.
#pragma once

#include <memory>
#include <string>

#include "platform/page_canvas.h"

namespace kal {

class PdfCanvas : public PageCanvas {
 public:
  // A document of pages pageWidth x pageHeight device pixels at dpi pixels
  // per inch (both directions), written to `path`. `title` goes into the
  // document information.
  PdfCanvas(const std::string& path, int pageWidth, int pageHeight, int dpi, TextRenderer& measurer,
            const std::string& title);
  ~PdfCanvas() override;
  PdfCanvas(const PdfCanvas&) = delete;
  PdfCanvas& operator=(const PdfCanvas&) = delete;

  bool ok() const;  // false when the file could not be created
  bool StartPage() override;
  bool EndPage() override;
  void Fill(Colour colour, int x1, int y1, int x2, int y2) override;
  void Frame(Colour colour, int penWidth, int x1, int y1, int x2, int y2) override;
  void Text(int x, int y, int align, Colour colour, const FontDescription& font, std::string_view line) override;
  void SetClip(const Rect& clip) override;
  Rect Clip() const override;
  TextRenderer& Measurer() override;

  // Ends the document. False, with the reason in `error`, when the file
  // could not be written whole (no room on the disk, no permission ...).
  bool Finish(std::string& error);
  int pages() const { return pages_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  int pages_ = 0;
};

}  // namespace kal
