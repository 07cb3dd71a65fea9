#include "platform/printers.h"

#include <cups/cups.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace kal {

namespace {

int HundredthsMmToPixels(int hundredths, int dpi) {
  return static_cast<int>(std::lround(hundredths / 2540.0 * dpi));
}

std::string LastCupsError() {
  const char* text = cupsLastErrorString();
  return text != nullptr && *text != '\0' ? text : "the print service did not answer";
}

// A destination by name, owned by the caller (cupsFreeDests(1, dest)).
cups_dest_t* FindDest(const std::string& printer, std::string& error) {
  const auto slash = printer.find('/');
  const std::string name = printer.substr(0, slash);
  const std::string instance = slash == std::string::npos ? "" : printer.substr(slash + 1);
  cups_dest_t* dest =
      cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), instance.empty() ? nullptr : instance.c_str());
  if (dest == nullptr) {
    error = cupsLastError() > IPP_STATUS_OK_CONFLICTING ? LastCupsError() : "no printer named " + printer;
  }
  return dest;
}

class CupsPrinters : public PrinterSystem {
 public:
  std::vector<std::string> Printers(std::string& error) override {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      std::string name = dests[i].name;
      if (dests[i].instance != nullptr) name += std::string("/") + dests[i].instance;
      names.push_back(name);
    }
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING) error = LastCupsError();
    cupsFreeDests(count, dests);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string DefaultPrinter() override {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest == nullptr) return {};
    std::string name = dest->name;
    if (dest->instance != nullptr) name += std::string("/") + dest->instance;
    cupsFreeDests(1, dest);
    return name;
  }

  std::string DefaultOptions(const std::string& printer) override {
    std::string error;
    cups_dest_t* dest = FindDest(printer, error);
    if (dest == nullptr) return {};
    std::string options;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
      cups_size_t size;
      if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) != 0) {
        options = std::string("media=") + size.media;
      }
      cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return options;
  }

  bool QueryPage(const std::string& printer, const std::string& options, PrinterPage& page,
                 std::string& error) override {
    cups_dest_t* dest = FindDest(printer, error);
    if (dest == nullptr) return false;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (info == nullptr) {
      error = LastCupsError();
      cupsFreeDests(1, dest);
      return false;
    }
    cups_option_t* parsed = nullptr;
    const int parsedCount = cupsParseOptions(options.c_str(), 0, &parsed);
    const char* media = cupsGetOption("media", parsedCount, parsed);
    cups_size_t size{};
    bool found = false;
    if (const pwg_media_t* named = media != nullptr ? pwgMediaForPWG(media) : nullptr) {
      // The size comes from the name itself: looking a "..._borderless" name
      // up at the printer can answer with a sheet twice as wide. The
      // printer's own entry only adds its margins, when it is that size.
      // (The lookup reuses the buffer `named` points into: copy first.)
      const int width = named->width;
      const int length = named->length;
      cups_size_t exact{};
      if (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, media, CUPS_MEDIA_FLAGS_DEFAULT, &exact) != 0 &&
          exact.width == width && exact.length == length) {
        size = exact;
      } else {
        size.width = width;
        size.length = length;
      }
      found = true;
    }
    if (!found) found = cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) != 0;
    if (!found) {
      // A queue that knows no paper (a raw or file queue) gets US Letter,
      // or A4 when the options ask for it.
      const bool a4 = media != nullptr && std::string(media).find("a4") != std::string::npos;
      size.width = a4 ? 21000 : 21590;
      size.length = a4 ? 29700 : 27940;
      size.left = size.right = size.top = size.bottom = 0;
    }
    int dpi = 600;
    if (ipp_attribute_t* res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
      int yres = 0;
      ipp_res_t units = IPP_RES_PER_INCH;
      const int xres = ippGetResolution(res, 0, &yres, &units);
      if (xres > 0) dpi = units == IPP_RES_PER_CM ? static_cast<int>(std::lround(xres * 2.54)) : xres;
    }
    cupsFreeOptions(parsedCount, parsed);
    cupsFreeDestInfo(info);
    cupsFreeDests(1, dest);

    page.dpiX = page.dpiY = dpi;
    page.physicalWidth = HundredthsMmToPixels(size.width, dpi);
    page.physicalHeight = HundredthsMmToPixels(size.length, dpi);
    page.offsetX = HundredthsMmToPixels(size.left, dpi);
    page.offsetY = HundredthsMmToPixels(size.top, dpi);
    return true;
  }

  bool Submit(const std::string& printer, const std::string& options, const std::string& pdfPath,
              const std::string& title, std::string& error) override {
    const auto slash = printer.find('/');
    const std::string name = printer.substr(0, slash);
    cups_option_t* parsed = nullptr;
    int count = cupsParseOptions(options.c_str(), 0, &parsed);
    count = cupsAddOption("document-format", "application/pdf", count, &parsed);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.c_str(), pdfPath.c_str(), title.c_str(), count, parsed);
    cupsFreeOptions(count, parsed);
    if (job > 0) return true;
    error = LastCupsError();
    return false;
  }

  std::vector<std::string> FontFamilies() override {
    std::set<std::string> families;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr) {
          families.insert(reinterpret_cast<const char*>(family));
        }
      }
      FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return {families.begin(), families.end()};
  }
};

}  // namespace

std::unique_ptr<PrinterSystem> MakeCupsPrinters() {
  // Back to the default server, so that CUPS_SERVER is read again rather
  // than the one the process asked first.
  cupsSetServer(nullptr);
  return std::make_unique<CupsPrinters>();
}

PrinterPage PaperPage(int widthThousandths, int heightThousandths, int dpi) {
  PrinterPage page;
  page.dpiX = page.dpiY = dpi;
  page.physicalWidth = static_cast<int>(std::lround(widthThousandths / 1000.0 * dpi));
  page.physicalHeight = static_cast<int>(std::lround(heightThousandths / 1000.0 * dpi));
  return page;
}

}  // namespace kal
