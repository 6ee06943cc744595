// Collects the text every thread passes to OutputDebugStringW while it lives.
// Captures may nest; each sees what was written during its own lifetime.
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

  // Hands a text the platform reported to every live capture.
  static void Dispatch(const WString& text);

 private:
  void Add(const WString& text);

  mutable std::mutex mutex_;
  std::vector<WString> texts_;
};

// Routes the platform's debugger output to DebugOutputCapture::Dispatch; one
// implementation per platform. Called as each capture starts; repeating it
// is harmless and reaches modules loaded since.
void HookDebugOutput();
