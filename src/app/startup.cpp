#include "app/startup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/import_hooks.h"
#include "app/print_hooks.h"
#include "app/run_steps.h"
#include "app/wallpaper_hooks.h"
#include "app/update_feature.h"
#include "platform/file_system.h"
#include "platform/freetype_text.h"
#include "platform/headless_window.h"
#include "platform/input_script.h"
#include "platform/sdl_window.h"
#include "platform/single_instance.h"
#include "screens/calendar_screen.h"
#include "screens/event_list_screen.h"
#include "screens/health_summary.h"
#include "screens/main_frame.h"
#include "screens/options_screen.h"
#include "store/corruption.h"
#include "store/files.h"
#include "store/log.h"
#include "store/settings.h"
#include "ui/controls.h"
#include "ui/images.h"
#include "ui/input_state.h"
#include "ui/textures.h"
#include "ui/web_page.h"

namespace kal {

namespace {

constexpr const char* kCrLf = "\r\n";

std::string Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string LowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Halves go to the even neighbour (the default rounding mode).
std::int32_t HalfOf(std::int32_t value) { return static_cast<std::int32_t>(std::lrint(value / 2.0)); }

std::string TempFolderPath() {
  std::error_code ec;
  std::string folder = std::filesystem::temp_directory_path(ec).string();
  if (ec || folder.empty()) folder = "/tmp";
  folder = Trimmed(folder);
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

void AllocateBuffers(Application& app) {
  BufAlloc(4000, app.DialogTransferBuffer);
  BufAlloc(1024, app.scratchBuffer);
  BufAlloc(65000, app.editorTextBuffer);
  BufAlloc(8000, app.editorLineBuffer);
  BufAlloc(60, app.fontBuffers[0]);
  BufAlloc(60, app.fontBuffers[1]);
  BufAlloc(388, app.directoryBuffer);
  EnsureWorkRecord(app.events);
}

// A run that cannot hold the data-folder lock must not write: another writer
// would save over its changes, or it over theirs, without either noticing.
int RefuseUnlockedData(WindowBackend& window, const SingleInstance& lock) {
  const std::string reason = lock.HeldByOtherCopy()
                                 ? lock.lockPath() + " is held by " + lock.holder() + ", so nothing is written"
                                 : "nothing is written without the data-folder lock: " + lock.error();
  window.ShowMessageBox(ProgramName, reason, MessageIcon::Stop);
  return 2;
}

std::string WithSlashEnd(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace


int RunProgram(Application& app, const StartupOptions& options) {
  Program& p = app.program;
  WindowBackend& window = *options.window;
  p.window = &window;
  p.clock = &window.clock();
  // Single instance. A later start hands over to the running copy and leaves.
  // A headless run names the data folder as its marker folder, so its marker
  // is the data-folder lock itself.
  SingleInstance instance(options.instanceFolder, options.lockHolder);
  const bool instanceLocksData = WithSlashEnd(options.instanceFolder) == ResolveDataFolder(options.dataFolder);
  if (!instance.Acquire()) {
    if (instanceLocksData) return RefuseUnlockedData(window, instance);
    if (instance.HeldByOtherCopy()) {
      if (!instance.AskRunningCopyToShow()) {
        window.ShowMessageBox(std::string(ProgramName) + " is already running.",
                              std::string("Click the ") + ProgramName + " icon in the taskbar tray to open." + kCrLf +
                                  "or right click the icon to exit.",
                              MessageIcon::Stop);
      }
      return 0;
    }
    // Only the show-yourself marker is missing; the data-folder lock below
    // still keeps two writers apart.
    std::fprintf(stderr, "kalendrina: %s\n", instance.error().c_str());
  }

  SetAllocFailureHook([&window](const std::string& text, const std::string& title) {
    window.ShowMessageBox(title, text, MessageIcon::Stop);
  });
  // The hook names this run's window, which the caller may destroy after the run.
  struct HookReset {
    ~HookReset() { SetAllocFailureHook(nullptr); }
  } hookReset;
  AllocateBuffers(app);

  app.TempFolder = TempFolderPath();
  app.ProgramFolder = ProgramFolder();
  app.DataFolder = ResolveDataFolder(options.dataFolder);
  MakePath(app.DataFolder);
  // The data itself is guarded too: a copy started with another runtime folder,
  // a headless run or the command line must never write the event file that
  // this copy holds in memory.
  std::optional<SingleInstance> dataGuard;
  if (!instanceLocksData) {
    dataGuard.emplace(app.DataFolder, options.lockHolder);
    if (!dataGuard->Acquire()) {
      FreeBuffers(app);
      return RefuseUnlockedData(window, *dataGuard);
    }
  }
  app.UpdateInstaller = app.TempFolder + "kalendrina_" + "setup.exe";
  if (FileExists(app.UpdateInstaller)) RemoveFile(app.UpdateInstaller);

  app.CommandLine = LowerCase(Trimmed(options.commandLine));
  app.HelpFile = app.ProgramFolder + "Help.htm";
  app.EventFile = app.DataFolder + "Event20.dat";
  // Folder names keep their letter case: on this system it matters.
  app.WallpaperFile = app.DataFolder + "wallpaper.bmp";
  app.ConfigFile = app.DataFolder + "config20.dat";
  app.ErrorLogFile = app.DataFolder + "error.log";

  SetErrorLogFile(app.ErrorLogFile);
  DeleteErrorLog();
  LogLine(std::string("Version ") + VersionText);
  LogLine("App Path: " + app.ProgramFolder);
  LogLine("Data Path: " + app.DataFolder);

  // Saves cut short by a crash leave their temporary files behind.
  for (const std::string& name : RemoveLeftoverTempFiles(app.DataFolder)) LogLine("Removed Temporary File: " + name);

  ClearReadOnly(app.EventFile);
  ClearReadOnly(app.WallpaperFile);

  std::string settingsError;
  if (!LoadSettings(app.settings, app.ConfigFile, &settingsError)) {
    // Saving would replace the file that could not be read with defaults.
    app.settingsReadOnly = true;
    window.ShowMessageBox(ProgramName, settingsError + kCrLf + "Settings are not saved until the program is restarted.",
                          MessageIcon::Stop);
  }
  p.WindowX = app.settings.windowX;
  p.WindowY = app.settings.windowY;
  p.ClientWidth = app.settings.windowWide;
  p.ClientHeight = app.settings.windowHigh;
  p.WindowMaximized = app.settings.windowFlag;

  const WindowRect screen = window.ScreenRect();
  const WindowRect work = window.WorkArea();
  const int fw = window.FrameWidth();
  const int fh = window.FrameHeight();
  const std::int32_t availableWidth = work.width - 2 * fw;
  const std::int32_t availableHeight = work.height - 2 * fh;
  if (options.forcedClientWidth > 0 && options.forcedClientHeight > 0) {
    p.ClientWidth = options.forcedClientWidth;
    p.ClientHeight = options.forcedClientHeight;
    p.WindowMaximized = 0;
    p.WindowX = HalfOf(availableWidth - p.ClientWidth) + work.x;
    p.WindowY = HalfOf(availableHeight - p.ClientHeight) + work.y;
  } else if (p.ClientWidth < MinClientWidth || p.ClientHeight < MinClientHeight) {
    p.ClientWidth = std::min(1024, availableWidth);
    p.ClientHeight = std::min(768, availableHeight);
    p.WindowMaximized = 0;
    p.WindowX = HalfOf(availableWidth - p.ClientWidth) + work.x;
    p.WindowY = HalfOf(availableHeight - p.ClientHeight) + work.y;
  } else if (p.WindowMaximized == 1) {
    p.WindowX = work.x;
    p.WindowY = work.y;
    p.ClientWidth = availableWidth;
    p.ClientHeight = availableHeight;
  }
  p.CentreX = p.ClientWidth / 2;

  if (availableWidth < MinClientWidth || availableHeight < MinClientHeight) {
    window.ShowMessageBox("Insufficient Screen Area (" + std::to_string(p.ClientWidth) + " x " +
                              std::to_string(p.ClientHeight) + ")",
                          std::string(ProgramName) + " needs at least 775x575 pixels" + kCrLf +
                              "to open a program window." + kCrLf + "Please increase your screen resolution," +
                              kCrLf + "or set your taskbar to auto-hide.",
                          MessageIcon::None);
    FreeBuffers(app);
    return 0;
  }

  if (!window.Create(ProgramName, p.WindowX, p.WindowY, p.ClientWidth + 2 * fw, p.ClientHeight + 2 * fh, true)) {
    window.ShowMessageBox("", "Unable to create window", MessageIcon::None);
    FreeBuffers(app);
    return 0;
  }

  app.offscreen.Resize(std::max(screen.width, p.ClientWidth), std::max(screen.height, p.ClientHeight));
  p.offscreen = &app.offscreen;
  p.HeaderHeight = HeaderHeightPixels;
  p.CurrentScreen = ScreenCalendar;
  app.presenter = WindowPresenter(&window);
  app.gfx.surface = &app.offscreen;
  app.gfx.text = options.text;
  app.gfx.presenter = &app.presenter;
  EnsureOffscreenFits(app);
  p.log = [](const std::string& line) { LogLine(line); };
  p.saveSettings = [&app] { SaveGeometry(app); };
  InstallFrame(app);
  static SystemProcessRunner noRunner;
  static const std::unique_ptr<DesktopWallpaper> noDesktop = MakeDesktopWallpaper("none", noRunner);
  InstallDesktopCalendar(app, options.desktopWallpaper != nullptr ? *options.desktopWallpaper : *noDesktop);
  InstallHealthSummaries();
  // A test may have put its own printing in place.
  if (!CalendarScreenHooks().printCalendar && !EventListScreenHooks().printEvents) InstallPrintHooks();
  InstallImportHooks(app);
  if (!app.screens[0]) app.screens[0] = CalendarScreen;
  if (!app.screens[1]) app.screens[1] = [](Application& a) { EventListScreen(a); };
  if (!app.screens[2]) app.screens[2] = [](Application& a) { OptionsScreen(a); };
  for (int i = 0; i < 3; ++i) {
    if (!app.screens[i]) app.screens[i] = [i](Application& a) { PlaceholderScreen(a, i + 1); };
  }

  app.gfx.SetupFonts("Microsoft Sans Serif", 20);
  BuildCategoryTable(app.categories, app.settings.categories);
  LoadTextures(app.gfx, app.DataFolder);

  WaitInputRelease(p);
  LayoutScreens(app);
  app.gfx.TileImage(app.gfx.backgroundTexture, 0, 0, p.ClientWidth, p.ClientHeight);
  DrawFrame(app);
  app.gfx.PresentRect(0, 0, p.ClientWidth, p.ClientHeight);
  if (app.hooks.rememberUserWallpaper) app.hooks.rememberUserWallpaper();
  SaveGeometry(app);
  UpdateDragBand(app);

  SetTodayFromClock(app.dates, *p.clock);
  p.input.currentDay = app.dates.today.day;
  app.frame.updateCheckBits = app.dates.today.day & 8;
  app.events.eventFile = app.EventFile;
  if (!LoadEvents(app.events)) {
    // SaveEvents refuses from now on, so nothing replaces the unread file.
    window.ShowMessageBox(ProgramName, app.events.loadError + kCrLf + "Events are not saved until the program is restarted.",
                          MessageIcon::Stop);
  }
  // The calendar screen builds its grid when it first draws.
  if (app.hooks.startUpdateCheck) app.hooks.startUpdateCheck();
  StartDayTimer(p);
  app.started = true;

  RunMainLoop(app, instance, window);

  RunExitSequence(app);
  LogLine("Bye Bye");
  return 0;
}

int RunDesktop(const std::string& dataFolder, const std::string& commandLine) {
  SdlWindow window;
  if (!window.ok()) {
    std::fprintf(stderr, "kalendrina: cannot open the display: %s\n", window.error().c_str());
    return 1;
  }
  FreeTypeTextRenderer text;
  SystemProcessRunner runner;
  // The desktop is chosen before the program starts, from the settings as they
  // are on disk; a choice changed in the file takes effect at the next start.
  // Damage is left for the start-up's own reading of the file to report.
  Settings configured;
  CountingReporter quiet;
  LoadSettings(configured, ResolveDataFolder(dataFolder) + "config20.dat", nullptr, &quiet);
  const std::unique_ptr<DesktopWallpaper> desktop =
      MakeDesktopWallpaper(DetectSessionDesktop(configured.wallpaperDesktop), runner);
  Application app;
  StartupOptions options;
  options.window = &window;
  options.text = &text;
  options.dataFolder = dataFolder;
  options.commandLine = commandLine;
  options.desktopWallpaper = desktop.get();
  const UpdateFeature update(app);
  const int status = RunProgram(app, options);
  // Only now are the locks free that the new program will take.
  if (!update.programToStart().empty()) LaunchProgram(SystemLauncher(), update.programToStart(), "");
  return status;
}

int RunScript(const std::string& scriptPath, const std::string& dataFolder) {
  ScriptParseResult script = LoadInputScript(scriptPath);
  if (!script.ok()) {
    std::fprintf(stderr, "kalendrina: %s: %s\n", scriptPath.c_str(), script.error.c_str());
    return 1;
  }
  HeadlessWindow window(std::move(script.commands));
  FreeTypeTextRenderer text;
  Application app;
  StartupOptions options;
  options.window = &window;
  options.text = &text;
  options.dataFolder = dataFolder;
  // A headless run must neither meet nor disturb a desktop copy on the same account.
  options.instanceFolder = ResolveDataFolder(dataFolder);
  options.lockHolder = "a headless run";
  MakePath(options.instanceFolder);
  options.forcedClientWidth = window.startWidth();
  options.forcedClientHeight = window.startHeight();
  const int status = RunProgram(app, options);
  return window.errors().empty() ? status : 2;
}

}  // namespace kal
