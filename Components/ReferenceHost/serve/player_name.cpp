#include "serve/player_name.h"

#include <algorithm>
#include <cctype>

namespace {

// The plug-in's word for a maker it cannot tell.
bool IsUnknown(const std::string& vendor) {
  std::string lower = vendor;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.empty() || lower == "unknown";
}

}  // namespace

PlayerName NameOfPlayer(const std::string& display, const std::string& vendor, const std::string& product,
                        unsigned long number) {
  PlayerName player;
  if (!IsUnknown(vendor)) player.maker = vendor;
  if (!player.maker.empty() && !display.empty()) {
    player.name = display;
  } else if (!product.empty()) {
    player.name = product;
  } else if (!display.empty() && (vendor.empty() || display.rfind(vendor, 0) != 0)) {
    player.name = display;
  } else {
    player.name = "Player " + std::to_string(number);
  }
  return player;
}
