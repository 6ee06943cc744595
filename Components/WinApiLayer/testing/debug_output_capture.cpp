#include "debug_output_capture.h"

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
