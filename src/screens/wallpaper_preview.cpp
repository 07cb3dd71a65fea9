#include "screens/wallpaper_preview.h"

#include <algorithm>

#include "screens/application.h"
#include "screens/main_frame.h"
#include "screens/options_screen.h"
#include "ui/controls.h"

namespace kal {

void DrawWallpaperPreview(Application& app, int full) {
  Program& p = app.program;
  Gfx& g = app.gfx;
  if (g.surface == nullptr) return;
  Surface& s = *g.surface;
  const OptionsLayout& o = app.layout.options;
  const OptionsControls c = MakeOptionsControls(app);
  const Rect& pv = o.preview;
  if (full == 1) {
    g.TileImage(g.backgroundTexture, 0, p.HeaderHeight, p.ClientWidth, p.ClientHeight);
    DrawFrame(app);
    DrawButtonRecord(g, c.editCategories);
    DrawButtonRecord(g, c.importOld);
    DrawButtonRecord(g, c.importHealth);
    DrawButtonRecord(g, c.importIcal);
    g.DrawSunkenBox(pv.left, pv.top, pv.right - 1, pv.bottom - 1, PreviewDesktopColour);
    if (!app.hooks.wallpaperPreview || !app.hooks.wallpaperPreview(pv.Width(), pv.Height(), app.previewPicture)) {
      app.previewPicture = Surface();
    }
  }
  const Surface& picture = app.previewPicture;
  if (picture.width() == pv.Width() && picture.height() == pv.Height()) {
    const Rect area = pv.Intersect(s.clip());
    for (int y = area.top; y < area.bottom; ++y) {
      std::copy_n(picture.Row(y - pv.top) + (area.left - pv.left), area.Width(), s.Row(y) + area.left);
    }
  } else {
    FillBox(s, PreviewDesktopColour, pv.left, pv.top, pv.right - 1, pv.bottom - 1);
  }
  DrawCheckBox(g, full == 1 ? 1 : 0, c.wallpaperSwitch, app.settings.wallpaperFlag);
  if (app.settings.wallpaperFlag == 1) {
    const Rect& box = o.calendarBox;
    FillBox(s, Rgb(200, 200, 200), box.left, box.top, box.right - 1, box.bottom - 1);
    DrawBox(s, ColourBlack, 1, box.left, box.top, box.right - 2, box.bottom - 2);
    const int middle = box.top + box.Height() / 2;
    const int centre = box.left + box.Width() / 2;
    // The text never leaves the box, however small the preview makes it.
    const Rect oldClip = s.clip();
    s.SetClipRect(Rect{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1});
    g.DrawTextAligned(s, centre, middle - 16, AlignCentre, ColourBlack, g.SmallFont, "Drag this box to adjust position");
    g.DrawTextAligned(s, centre, middle, AlignCentre, ColourBlack, g.SmallFont, "of calendar on desktop wallpaper");
    s.SetClipRect(oldClip);
  }
  const int frame = full == 1 ? 1 : 0;
  DrawChoiceField(g, frame, 0, c.wallpaperStyle);
  DrawChoiceField(g, frame, 0, c.weightUnit);
  DrawChoiceField(g, frame, 0, c.lengthUnit);
  g.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
}

}  // namespace kal
