// Collects the text every thread passes to OutputDebugStringW while it lives.
#pragma once

#include <wide_text.h>

#include <mutex>
#include <vector>

class DebugOutputCapture {
 public:
  DebugOutputCapture();
  ~DebugOutputCapture();
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  // Each text as it was written, in order.
  std::vector<WString> Texts() const;
  // Everything written, joined.
  WString All() const;
  void Clear();

  // Called by the platform hook.
  void Add(const WString& text);

 private:
  mutable std::mutex mutex_;
  std::vector<WString> texts_;
};
