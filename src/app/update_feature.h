// Plugs the update check into the program: the main frame's hooks for the
// check, the header notice and the offer, and the exit's installation.
//
// Made before RunProgram and destroyed after it; the Application must
// outlive it. The check reads its server from the settings when it first
// starts, so a run without "update_server" never touches the network.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/update.h"
#include "screens/application.h"

namespace kal {

// The maker's key for update signatures, built in (64 hex digits, set with
// -DKALENDRINA_UPDATE_KEY=...); empty in a build without one.
const char* BuiltInUpdateKey();

// The update settings of this program: the server and CA file from the
// settings, the built-in key, and whether this is a self-contained build
// (the desktop executable beside the command line, in a folder the user may
// write), whose files an update replaces.
UpdateConfig ProgramUpdateConfig(const Application& app);

class UpdateFeature {
 public:
  // `adjust` changes the configuration before the check starts; tests use
  // it for their own server key. Nothing outside the code can change it.
  explicit UpdateFeature(Application& app, std::function<void(UpdateConfig&)> adjust = {});
  // The program an installed update left to start, once the run is over.
  const std::string& programToStart() const { return programToStart_; }

 private:
  UpdateCheck* Check();
  Application& app_;
  std::function<void(UpdateConfig&)> adjust_;
  std::unique_ptr<UpdateCheck> check_;
  std::string programToStart_;
};

}  // namespace kal
