#include "debug_output_capture.h"

#include <algorithm>

namespace {

std::mutex activeMutex;
std::vector<DebugOutputCapture*> activeCaptures;

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
  HookDebugOutput();
  std::lock_guard<std::mutex> lock(activeMutex);
  activeCaptures.push_back(this);
}

DebugOutputCapture::~DebugOutputCapture() {
  std::lock_guard<std::mutex> lock(activeMutex);
  activeCaptures.erase(std::remove(activeCaptures.begin(), activeCaptures.end(), this), activeCaptures.end());
}

void DebugOutputCapture::Dispatch(const WString& text) {
  std::lock_guard<std::mutex> lock(activeMutex);
  for (DebugOutputCapture* capture : activeCaptures) capture->Add(text);
}

std::vector<WString> DebugOutputCapture::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

WString DebugOutputCapture::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  WString all;
  for (const WString& text : texts_) all += text;
  return all;
}

void DebugOutputCapture::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  texts_.clear();
}

void DebugOutputCapture::Add(const WString& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  texts_.push_back(text);
}
