// The update check and download.
//
// UpdateCheck asks the update server for "version_info.txt" and its detached
// signature "version_info.txt.sig", in a background thread, and remembers the
// newest version when its release is newer than ours. UpdateOffer, on the
// user-interface thread, downloads the update with its signature and, once
// the user agrees, keeps it in a private folder until the exit sequence
// installs it (InstallDownloadedUpdate).
//
// Nothing is trusted that the maker's key has not signed: version
// information whose signature fails counts as no answer, and an update whose
// signature fails is neither written nor run. Only HTTPS is spoken
// (platform/http.h). With no server configured nothing touches the network.
//
// An UpdateCheck belongs to the program for the whole run. Its state is
// shared with the thread, so the object may go before a thread that did not
// finish in time; such a thread writes only into that shared state.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/signature.h"

namespace kal {

inline constexpr const char* OwnReleaseKey = "2011/02/18";
inline constexpr const char* OwnReleaseText = "Feb 18, 2011";

// The value of "kalendrina_" + key in the version information: what follows
// the name up to the next carriage return, without "=", ";" and double
// quotes, blanks trimmed. Empty when the name does not occur or no carriage
// return follows it; only the first occurrence counts.
std::string GetVersionValue(std::string_view versionInfo, std::string_view key);

// "Feb 18, 2011" as the comparable "2011/02/18" (month 00 when unknown).
std::string ReleaseKey(std::string_view release);

struct UpdateConfig {
  std::string server;  // https:// address of the folder holding version_info.txt; empty: no checking
  std::string caFile;  // PEM file of the CAs trusted for it; empty: the system's
  PublicKey publicKey{};
  bool haveKey = false;  // a build without the maker's key checks nothing
  // A self-contained build: the folder of the program files an update
  // replaces. Empty for a distribution package, which its package manager
  // updates: the offer then shows the details page.
  std::string programFolder;
  std::string tempFolder = "/tmp/";  // where the private download folder is made
  std::uint64_t maxVersionInfo = 64 * 1024;
  std::uint64_t maxUpdate = 256ull * 1024 * 1024;
  long checkTimeoutMs = 10000;
  long downloadTimeoutMs = 60000;
};

class UpdateCheck {
 public:
  explicit UpdateCheck(UpdateConfig config);
  ~UpdateCheck();
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  const UpdateConfig& config() const { return config_; }
  // Starts the check in the background; nothing when no server is set, no
  // key is built in, or a check is still running.
  void Start();
  // The same check on the calling thread.
  void RunNow();
  // Waits at most waitMs for a running check, then asks it to stop and lets
  // it end on its own; true when no check is left running.
  bool Finish(int waitMs);

  std::string VersionInfo() const;
  std::string NewVersion() const;
  void SetNewVersion(const std::string& version);
  bool Checked() const;
  // Copies NewVersion into `version`; true when it differs from the last poll.
  bool PollNewVersion(std::string& version);

  // The update the user agreed to install: its file in a private folder and
  // its signature. Empty when there is none.
  std::string downloadedFile;
  std::string downloadedSignature;

  // What the check thread shares with the program (defined in update.cpp).
  struct State;

 private:
  // Claims the right to run a check; false when none may run now.
  bool BeginCheck();
  UpdateConfig config_;
  std::shared_ptr<State> state_;
  std::thread thread_;
  std::string lastPolled_;
};

// What UpdateOffer asks of the user interface.
class UpdateUi {
 public:
  virtual ~UpdateUi() = default;
  // A message with buttons; the 1-based button chosen, 0 when the window closes.
  virtual int Ask(const std::string& message, const std::string& buttons) = 0;
  // Download progress; false stops the download.
  virtual bool Progress(const std::string& label, std::uint64_t done, std::uint64_t total) = 0;
  virtual void ProgressDone() = 0;
  virtual void OpenPage(const std::string& address) = 0;
  virtual void RequestQuit() = 0;
};

// The offer of the update notice and the About box.
void UpdateOffer(UpdateCheck& check, UpdateUi& ui);

// An update archive: an uncompressed ustar archive of the program's files.
// Only regular files with a plain name from `allowed` are taken ("./" in
// front is accepted); false for a damaged archive or any other member.
bool ReadUpdateArchive(std::string_view archive, const std::vector<std::string>& allowed,
                       std::vector<std::pair<std::string, std::string>>& files);

// The files an update of a self-contained build replaces.
std::vector<std::string> ProgramFiles();

// At exit: waits at most a second for the check, then, when an update was
// downloaded, verifies it again and replaces the program files atomically.
// Returns the program to start afterwards, empty when nothing was installed.
std::string InstallDownloadedUpdate(UpdateCheck& check);

}  // namespace kal
