// Matching texts word by word, ignoring the words every device name has.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

namespace {

const WCHAR* const kCommonWords[] = {W("usb"),      W("device"),   W("usbstor"),    W("audio"),
                                     W("player"),   W("mass"),     W("storage"),    W("portable"),
                                     W("compatible"), W("digital"), W("generic")};

// Texts are handled in buffers of 2048 characters.
constexpr size_t kTextChars = 2047;

std::vector<WString> SignificantWords(const WString& text) {
  std::vector<WString> words;
  for (WString& word : inventory_text::SplitWords(inventory_text::Clipped(text, kTextChars)))
    if (!kcDeviceInventory::IsCommonWord(word)) words.push_back(std::move(word));
  return words;
}

}  // namespace

bool kcDeviceInventory::IsCommonWord(const WString& word) {
  for (const WCHAR* common : kCommonWords)
    if (wide::EqualsIgnoreCaseAscii(word, common)) return true;
  return false;
}

bool kcDeviceInventory::SharesSignificantWord(const WString& a, const WString& b) {
  const std::vector<WString> wordsOfB = SignificantWords(b);
  for (const WString& wordOfA : SignificantWords(a))
    for (const WString& wordOfB : wordsOfB)
      if (wide::EqualsIgnoreCaseAscii(wordOfA, wordOfB)) return true;
  return false;
}
