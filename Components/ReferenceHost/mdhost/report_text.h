// How mdhost's reports write results and texts.
#pragma once

#include <windows.h>

#include <string>

// "0x8004001C": a result as the host's documentation writes it.
inline std::string Hex(HRESULT hr) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += digits[(static_cast<unsigned long>(hr) >> shift) & 0xF];
  return text;
}

// A JSON string literal of UTF-8 text.
inline std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      default:
        if (c < 0x20) {
          static const char digits[] = "0123456789abcdef";
          out += "\\u00";
          out += digits[c >> 4];
          out += digits[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}
