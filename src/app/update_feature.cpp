#include "app/update_feature.h"

#include "net/update_ui.h"
#include "platform/file_system.h"
#include "store/files.h"

#ifndef KALENDRINA_UPDATE_KEY
#define KALENDRINA_UPDATE_KEY ""
#endif

namespace kal {

const char* BuiltInUpdateKey() { return KALENDRINA_UPDATE_KEY; }

UpdateConfig ProgramUpdateConfig(const Application& app) {
  UpdateConfig config;
  config.server = app.settings.updateServer;
  config.caFile = app.settings.updateCaFile;
  config.haveKey = ParsePublicKey(BuiltInUpdateKey(), config.publicKey);
  const std::string folder = app.ProgramFolder;
  if (!folder.empty() && FileExists(folder + ProgramFiles().back()) && FolderWritable(folder)) {
    config.programFolder = folder;
  }
  if (!app.TempFolder.empty()) config.tempFolder = app.TempFolder;
  return config;
}

UpdateFeature::UpdateFeature(Application& app, std::function<void(UpdateConfig&)> adjust)
    : app_(app), adjust_(std::move(adjust)) {
  app.hooks.startUpdateCheck = [this] {
    if (UpdateCheck* check = Check()) check->Start();
  };
  app.hooks.pollNewVersion = [this](std::string& version) {
    return check_ != nullptr && check_->PollNewVersion(version);
  };
  app.hooks.updateOffer = [this] {
    UpdateCheck* check = Check();
    if (check == nullptr) check = (check_ = std::make_unique<UpdateCheck>(UpdateConfig{})).get();
    DialogUpdateUi ui(app_.ui, [this](const std::string& address) { OpenDocument(app_, address); });
    UpdateOffer(*check, ui);
  };
  app.hooks.finishUpdate = [this] {
    if (check_ != nullptr) programToStart_ = InstallDownloadedUpdate(*check_);
  };
}

UpdateCheck* UpdateFeature::Check() {
  if (check_ == nullptr && !app_.settings.updateServer.empty()) {
    UpdateConfig config = ProgramUpdateConfig(app_);
    if (adjust_) adjust_(config);
    check_ = std::make_unique<UpdateCheck>(std::move(config));
  }
  return check_.get();
}

}  // namespace kal
