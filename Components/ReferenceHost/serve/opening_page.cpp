#include "serve/opening_page.h"

#include <filesystem>
#include <fstream>

bool WriteOpeningPage(const std::string& folder, const std::string& address, std::string* path) {
  const std::filesystem::path file = std::filesystem::u8path(folder) / "open.html";
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  // The address holds only digits, letters and "/:?=." (the token is
  // hexadecimal), so it goes into the attributes as it is.
  out << "<!doctype html>\n<meta charset=\"utf-8\">\n<meta name=\"referrer\" content=\"no-referrer\">\n"
      << "<meta http-equiv=\"refresh\" content=\"0;url=" << address << "\">\n<title>mdhost serve</title>\n"
      << "<p><a href=\"" << address << "\">Open the players' page</a></p>\n";
  out.close();
  if (out.fail()) return false;
  *path = file.u8string();
  return true;
}
