#include "convert/encode_settings.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int kRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

bool Digits(const std::string& text) {
  return !text.empty() && text.size() <= 3 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::string EncodeSettings::Name() const {
  return bitrateKbps ? "CBR" + std::to_string(bitrateKbps) : "V" + std::to_string(vbrQuality);
}

bool ParseQuality(const std::string& given, EncodeSettings* settings, std::string* error) {
  std::string text = given;
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (text.size() == 2 && text[0] == 'V') text = text.substr(1);
  if (text.size() == 1 && Digits(text)) {
    *settings = EncodeSettings{text[0] - '0', 0};
    return true;
  }
  std::string rate;
  if (text.rfind("CBR", 0) == 0) rate = text.substr(3);
  else if (!text.empty() && text.back() == 'K') rate = text.substr(0, text.size() - 1);
  if (Digits(rate)) {
    const int kbps = std::stoi(rate);
    if (std::find(std::begin(kRates), std::end(kRates), kbps) != std::end(kRates)) {
      *settings = EncodeSettings{0, kbps};
      return true;
    }
  }
  *error = "--quality takes V0 to V9 (variable bit rate, V0 best) or a constant rate such as 320k, not \"" + given + "\"";
  return false;
}
