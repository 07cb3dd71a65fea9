#include "net/update.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/file_system.h"
#include "platform/http.h"
#include "store/files.h"
#include "store/log.h"

namespace kal {

namespace {

constexpr const char* kProgramName = "Kalendrina";
constexpr const char* kVersionInfoName = "version_info.txt";
constexpr const char* kSignatureSuffix = ".sig";
constexpr std::uint64_t kMaxSignature = 1024;
constexpr int kCheckAttempts = 3;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != prefix[i]) return false;
  }
  return true;
}

// The leading whole number after blanks; digits beyond nine are ignored.
int LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  int value = 0;
  for (int digits = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 9; ++i, ++digits) {
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::string FolderAddress(std::string server) {
  if (!server.empty() && server.back() != '/') server.push_back('/');
  return server;
}

}  // namespace

std::string GetVersionValue(std::string_view versionInfo, std::string_view key) {
  const std::string name = "kalendrina_" + std::string(key);
  const std::size_t at = versionInfo.find(name);
  if (at == std::string_view::npos) return std::string();
  const std::size_t start = at + name.size();
  const std::size_t end = versionInfo.find('\r', start);
  if (end == std::string_view::npos) return std::string();
  std::string value;
  for (char c : versionInfo.substr(start, end - start)) {
    if (c != '=' && c != ';' && c != '"') value.push_back(c);
  }
  const std::size_t first = value.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return value.substr(first, value.find_last_not_of(' ') - first + 1);
}

std::string ReleaseKey(std::string_view release) {
  static constexpr std::string_view kMonths = "janfebmaraprmayjunjulaugsepoctnovdec";
  int month = 0;
  if (release.size() >= 3) {
    const std::string first{Lower(release[0]), Lower(release[1]), Lower(release[2])};
    const std::size_t at = kMonths.find(first);
    if (at != std::string_view::npos && at % 3 == 0) month = static_cast<int>(at / 3) + 1;
  }
  int day = 0;
  int year = 0;
  const std::size_t comma = release.find(',');
  if (comma != std::string_view::npos) {
    if (comma > 3) day = LeadingNumber(release.substr(3, comma - 3));
    year = LeadingNumber(release.substr(comma + 1));
  }
  char key[32];
  std::snprintf(key, sizeof key, "%04d/%02d/%02d", year % 10000, month, day % 100);
  return key;
}

// What the check thread and the program share; the thread holds it too, so
// it outlives an UpdateCheck whose thread was left running at exit.
struct UpdateCheck::State {
  mutable std::mutex lock;
  std::condition_variable ended;
  bool running = false;
  std::atomic<bool> cancel{false};
  std::string versionInfo;
  std::string newVersion;
  bool checked = false;
};

UpdateCheck::UpdateCheck(UpdateConfig config) : config_(std::move(config)), state_(std::make_shared<State>()) {}

UpdateCheck::~UpdateCheck() {
  if (thread_.joinable()) Finish(1000);
}

namespace {

// UpdateCheckThread: the signed version information, at most three tries.
void RunCheck(const UpdateConfig& config, const std::shared_ptr<UpdateCheck::State>& state);

}  // namespace

bool UpdateCheck::BeginCheck() {
  if (config_.server.empty()) return false;
  if (!config_.haveKey) {
    LogLine("Update Check: this build carries no key to verify updates with");
    return false;
  }
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->running) return false;
  state_->running = true;
  state_->cancel = false;
  return true;
}

void UpdateCheck::Start() {
  if (!BeginCheck()) return;
  // The previous check has ended: BeginCheck found it no longer running.
  if (thread_.joinable()) thread_.join();
  thread_ = std::thread([config = config_, state = state_] { RunCheck(config, state); });
}

void UpdateCheck::RunNow() {
  if (BeginCheck()) RunCheck(config_, state_);
}

bool UpdateCheck::Finish(int waitMs) {
  bool done = false;
  {
    std::unique_lock<std::mutex> guard(state_->lock);
    done = state_->ended.wait_for(guard, std::chrono::milliseconds(waitMs), [this] { return !state_->running; });
  }
  if (thread_.joinable()) {
    if (done) {
      thread_.join();
    } else {
      // It stops at its next transfer step; the exit does not wait for that.
      state_->cancel = true;
      LogLine("Update Check: still running at exit");
      thread_.detach();
    }
  }
  return done;
}

std::string UpdateCheck::VersionInfo() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->versionInfo;
}

std::string UpdateCheck::NewVersion() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->newVersion;
}

void UpdateCheck::SetNewVersion(const std::string& version) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->newVersion = version;
}

bool UpdateCheck::Checked() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->checked;
}

bool UpdateCheck::PollNewVersion(std::string& version) {
  std::string now = NewVersion();
  if (now == lastPolled_) return false;
  lastPolled_ = now;
  version = std::move(now);
  return true;
}

namespace {

HttpResponse Fetch(const UpdateConfig& config, const std::string& url, std::uint64_t maxBytes, long timeoutMs,
                   const std::atomic<bool>* cancel) {
  HttpRequest request;
  request.url = url;
  request.caFile = config.caFile;
  request.connectTimeoutMs = timeoutMs;
  request.totalTimeoutMs = timeoutMs;
  request.maxBytes = maxBytes;
  request.cancel = cancel;
  return HttpFetch(request);
}

void RunCheck(const UpdateConfig& config, const std::shared_ptr<UpdateCheck::State>& state) {
  {
    std::lock_guard<std::mutex> guard(state->lock);
    state->newVersion.clear();
  }
  const std::string url = FolderAddress(config.server) + kVersionInfoName;
  std::string info;
  for (int attempt = 0; attempt < kCheckAttempts && info.empty() && !state->cancel; ++attempt) {
    const HttpResponse r = Fetch(config, url, config.maxVersionInfo, config.checkTimeoutMs, &state->cancel);
    if (r.ok) {
      info = r.body;
    } else {
      LogLine("Update Check: " + url + ": " + r.error);
    }
  }
  if (!info.empty()) {
    const HttpResponse sig =
        Fetch(config, url + kSignatureSuffix, kMaxSignature, config.checkTimeoutMs, &state->cancel);
    if (!sig.ok || !VerifySignature(info, sig.body, config.publicKey)) {
      LogLine("Update Check: the version information could not be verified");
      info.clear();
    }
  }
  std::lock_guard<std::mutex> guard(state->lock);
  if (!info.empty()) {
    state->versionInfo = info;
    if (ReleaseKey(GetVersionValue(info, "release")) > OwnReleaseKey) state->newVersion = GetVersionValue(info, "version");
  }
  state->checked = true;
  state->running = false;
  state->ended.notify_all();
}

bool IsWebAddress(std::string_view address) {
  return StartsWithNoCase(address, "https://") || StartsWithNoCase(address, "http://");
}

void OpenDetails(UpdateUi& ui, const std::string& upgrades) {
  // The address comes from the server: only a web page is handed to the browser.
  if (IsWebAddress(upgrades)) {
    ui.OpenPage(upgrades);
  } else {
    LogLine("Update: no web address for the details: " + upgrades);
  }
}

// Keeps the verified update in a folder only this user can enter.
bool KeepDownload(UpdateCheck& check, const std::string& bytes, const std::string& signature) {
  const std::string folder = MakePrivateFolder(check.config().tempFolder, "kalendrina-update-");
  if (folder.empty()) {
    LogLine("Update: cannot make a private folder in " + check.config().tempFolder);
    return false;
  }
  const std::string file = folder + "kalendrina_setup.tar";
  AtomicFileWriter writer(file);
  writer.Write(bytes.data(), bytes.size());
  if (!writer.Commit()) {
    LogLine("Update: " + writer.error());
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return false;
  }
  check.downloadedFile = file;
  check.downloadedSignature = signature;
  return true;
}

void RemoveDownload(UpdateCheck& check) {
  if (check.downloadedFile.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(check.downloadedFile).parent_path(), ec);
  check.downloadedFile.clear();
  check.downloadedSignature.clear();
}

}  // namespace

void UpdateOffer(UpdateCheck& check, UpdateUi& ui) {
  const UpdateConfig& config = check.config();
  const std::string info = check.VersionInfo();
  if (info.empty()) {
    ui.Ask("Unable to access version information.|Please try again later...", "OK");
    return;
  }
  const std::string release = GetVersionValue(info, "release");
  const std::string version = GetVersionValue(info, "version");
  const std::string upgrades = GetVersionValue(info, "upgrades");
  const std::string address = GetVersionValue(info, "path") + GetVersionValue(info, "file");
  check.SetNewVersion(version);
  int choice = 0;
  if (ReleaseKey(release) > OwnReleaseKey) {
    choice = ui.Ask(std::string("A new version of ") + kProgramName + " is available!||Version: " + version +
                        "|Released: " + release,
                    "Install|Cancel|Details");
  } else {
    choice = ui.Ask(std::string("You are using the latest version of ") + kProgramName +
                        "||Version: " KALENDRINA_VERSION_TEXT "|Released: " + OwnReleaseText,
                    "Reinstall|Cancel|Details");
    check.SetNewVersion(std::string());
  }
  if (choice == 3) OpenDetails(ui, upgrades);
  if (choice != 1) return;
  if (config.programFolder.empty()) {
    // The package manager installs updates of a distribution package; the
    // program must not replace files it owns.
    LogLine("Update: installed as a package, showing the details page");
    OpenDetails(ui, upgrades);
    return;
  }

  HttpRequest size;
  size.url = address;
  size.headOnly = true;
  size.caFile = config.caFile;
  size.connectTimeoutMs = size.totalTimeoutMs = config.downloadTimeoutMs;
  size.maxBytes = config.maxUpdate;
  const HttpResponse head = HttpFetch(size);
  if (!head.ok || head.contentLength <= 0) {
    if (!head.ok) LogLine("Update: " + address + ": " + head.error);
    ui.Ask("Update File Not Found", "OK");
    return;
  }
  const auto expected = static_cast<std::uint64_t>(head.contentLength);

  HttpRequest get = size;
  get.headOnly = false;
  get.maxBytes = expected;
  get.progress = [&ui, expected](std::uint64_t done, std::uint64_t) {
    return ui.Progress("Downloading Update...", done, expected);
  };
  ui.Progress("Downloading Update...", 0, expected);
  HttpResponse download = HttpFetch(get);
  ui.ProgressDone();
  if (!download.ok || download.body.size() != expected) {
    LogLine("Update: " + address + ": " +
            (download.ok ? std::to_string(download.body.size()) + " of " + std::to_string(expected) + " bytes"
                         : download.error));
    ui.Ask("Download Failed!", "OK");
    return;
  }
  const HttpResponse sig = Fetch(config, address + kSignatureSuffix, kMaxSignature, config.downloadTimeoutMs, nullptr);
  std::vector<std::pair<std::string, std::string>> files;
  if (!sig.ok || !VerifySignature(download.body, sig.body, config.publicKey) ||
      !ReadUpdateArchive(download.body, ProgramFiles(), files)) {
    LogLine("Update: " + address + " could not be verified");
    ui.Ask("The update could not be verified.", "OK");
    return;
  }
  if (ui.Ask(std::string(kProgramName) +
                 " will now close to install the update.|Double-click the desktop icon to open the new version.",
             "OK|Cancel") != 1) {
    return;
  }
  RemoveDownload(check);
  if (!KeepDownload(check, download.body, sig.body)) {
    ui.Ask("Download Failed!", "OK");
    return;
  }
  ui.RequestQuit();
}

std::vector<std::string> ProgramFiles() { return {"kalendrina", "kalendrina-desktop"}; }

bool ReadUpdateArchive(std::string_view archive, const std::vector<std::string>& allowed,
                       std::vector<std::pair<std::string, std::string>>& files) {
  constexpr std::size_t kBlock = 512;
  files.clear();
  std::size_t at = 0;
  while (true) {
    if (archive.size() - at < kBlock) return false;
    const std::string_view header = archive.substr(at, kBlock);
    if (header.find_first_not_of('\0') == std::string_view::npos) break;  // end of archive
    unsigned sum = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
      sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(header[i]);
    }
    const auto octal = [&](std::size_t offset, std::size_t length) {
      std::uint64_t value = 0;
      std::size_t i = offset;
      while (i < offset + length && header[i] == ' ') ++i;
      bool any = false;
      for (; i < offset + length && header[i] >= '0' && header[i] <= '7'; ++i, any = true) value = value * 8 + (header[i] - '0');
      return any ? value : UINT64_MAX;
    };
    if (octal(148, 8) != sum || header.substr(257, 5) != "ustar") return false;
    const char type = header[156];
    if ((type != '0' && type != '\0') || header[345] != '\0') return false;
    std::string name(header.substr(0, 100));
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    if (name.rfind("./", 0) == 0) name.erase(0, 2);
    bool known = false;
    for (const std::string& a : allowed) known = known || a == name;
    const std::uint64_t length = octal(124, 12);
    at += kBlock;
    if (!known || length == UINT64_MAX || length > archive.size() - at) return false;
    files.emplace_back(name, std::string(archive.substr(at, length)));
    at += (length + kBlock - 1) / kBlock * kBlock;
    if (at > archive.size()) return false;
  }
  return !files.empty();
}

std::string InstallDownloadedUpdate(UpdateCheck& check) {
  check.Finish(1000);
  if (check.downloadedFile.empty()) return std::string();
  const UpdateConfig& config = check.config();
  LogLine("Install Update");
  std::string bytes;
  const FileReadResult read = ReadWholeFile(check.downloadedFile, config.maxUpdate, [&bytes](std::size_t size) {
    bytes.resize(size);
    return reinterpret_cast<std::uint8_t*>(bytes.data());
  });
  LogLine("Install File Size (C): " + LogNumber(static_cast<std::int64_t>(bytes.size())));
  LogLine("Install File: " + check.downloadedFile);
  LogLine("Install Parameters: ");
  std::vector<std::pair<std::string, std::string>> files;
  const bool valid = read.outcome == ReadOutcome::kRead &&
                     VerifySignature(bytes, check.downloadedSignature, config.publicKey) &&
                     ReadUpdateArchive(bytes, ProgramFiles(), files);
  RemoveDownload(check);
  if (!valid || config.programFolder.empty()) {
    LogLine("Install Update: the update could not be verified");
    return std::string();
  }
  // Every file is checked before the first is replaced.
  for (const auto& [name, data] : files) {
    if (!FileExists(config.programFolder + name)) {
      LogLine("Install Update: " + config.programFolder + name + " is not part of this program");
      return std::string();
    }
  }
  for (const auto& [name, data] : files) {
    AtomicFileWriter writer(config.programFolder + name);
    writer.Write(data.data(), data.size());
    if (!writer.Commit()) {
      LogLine("Install Update: " + writer.error());
      return std::string();
    }
    LogLine("Install Update: replaced " + config.programFolder + name);
  }
  return config.programFolder + ProgramFiles().front();
}

}  // namespace kal
