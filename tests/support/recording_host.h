// A Host that records what the code under test tells the user and answers
// its questions with a fixed button.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/host.h"

namespace kal::test {

struct RecordingHost : Host {
  // answer 0 keeps the default: the last button, the cautious one.
  explicit RecordingHost(int answer = 0) : answer(answer) {}

  void StartProgress() override { ++starts; }
  void ShowProgress(std::string_view caption, std::uint32_t done, std::uint32_t total) override {
    captions.emplace_back(caption);
    finished = done == total;
  }
  void CloseProgress() override { ++closes; }
  void ReportError(const std::string& message) override { errors.push_back(message); }
  int Ask(const std::string& message, const std::string& buttons) override {
    asked.push_back(message + "#" + buttons);
    return answer != 0 ? answer : Host::Ask(message, buttons);
  }

  int answer;
  std::vector<std::string> errors, captions, asked;  // asked: "message#buttons"
  bool finished = false;
  int starts = 0, closes = 0;
};

}  // namespace kal::test
