#include "host_support/reg_file_loader.h"

#include "host_support/input_file.h"
#include "host_support/registry_tree.h"

#include <vector>

namespace {

struct Line {
  int number;
  WString text;
};

struct ParseError {
  int line;
  std::string message;
};

const WCHAR kHeader[] = W("Windows Registry Editor Version 5.00");

// Windows' limits: a key name (one level of a path) of 255 characters and 512
// levels of keys. Checked here too, so that both lanes give the same message
// (Wine sets no depth limit).
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxKeyLevels = 512;

WString Trim(const WString& text) {
  size_t first = 0, last = text.size();
  while (first < last && (text[first] == W(' ') || text[first] == W('\t'))) ++first;
  while (last > first && (text[last - 1] == W(' ') || text[last - 1] == W('\t'))) --last;
  return text.substr(first, last - first);
}

bool StartsWith(const WString& text, const WCHAR* prefix) { return text.compare(0, wide::Length(prefix), prefix) == 0; }

std::vector<Line> SplitLines(const WString& text) {
  std::vector<Line> lines;
  WString current;
  int number = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const WCHAR c = text[i];
    if (c == W('\r') || c == W('\n')) {
      lines.push_back({number++, current});
      current.clear();
      if (c == W('\r') && i + 1 < text.size() && text[i + 1] == W('\n')) ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back({number, current});
  return lines;
}

int HexDigit(WCHAR c) {
  if (c >= W('0') && c <= W('9')) return c - W('0');
  if (c >= W('a') && c <= W('f')) return c - W('a') + 10;
  if (c >= W('A') && c <= W('F')) return c - W('A') + 10;
  return -1;
}

bool ParseHexNumber(const WString& text, unsigned long long limit, unsigned long long* value) {
  if (text.empty() || text.size() > 16) return false;
  unsigned long long result = 0;
  for (WCHAR c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    result = result * 16 + static_cast<unsigned>(digit);
  }
  if (result > limit) return false;
  *value = result;
  return true;
}

HKEY RootNamed(const WString& name) {
  struct Root {
    const WCHAR* longName;
    const WCHAR* shortName;
    HKEY key;
  };
  static const Root roots[] = {
      {W("HKEY_LOCAL_MACHINE"), W("HKLM"), HKEY_LOCAL_MACHINE}, {W("HKEY_CURRENT_USER"), W("HKCU"), HKEY_CURRENT_USER},
      {W("HKEY_CLASSES_ROOT"), W("HKCR"), HKEY_CLASSES_ROOT},   {W("HKEY_USERS"), W("HKU"), HKEY_USERS},
      {W("HKEY_CURRENT_CONFIG"), W("HKCC"), HKEY_CURRENT_CONFIG},
  };
  for (const Root& root : roots)
    if (wide::EqualsIgnoreCaseAscii(name, root.longName) || wide::EqualsIgnoreCaseAscii(name, root.shortName))
      return root.key;
  return nullptr;
}

// A text from the file as a message shows it: quoted, and cut short when long.
std::string Describe(const WString& text) {
  constexpr size_t kShown = 60;
  if (text.size() <= kShown) return "'" + wide::EscapeForDisplay(wide::ToUtf8(text)) + "'";
  return "'" + wide::EscapeForDisplay(wide::ToUtf8(text.substr(0, kShown))) + "...' (" +
         std::to_string(text.size()) + " characters)";
}

bool HoldsNul(const WString& text) { return text.find(WCHAR(0)) != WString::npos; }

// Why the path of a key line cannot name a key, or empty when it can.
std::string KeyPathProblem(const WString& subkey) {
  if (HoldsNul(subkey)) return "a key name cannot hold a NUL character";
  size_t levels = 0;
  for (size_t start = 0; start <= subkey.size();) {
    size_t end = subkey.find(W('\\'), start);
    if (end == WString::npos) end = subkey.size();
    if (end > start) {
      if (end - start > kMaxKeyNameLength)
        return "a key name holds at most " + std::to_string(kMaxKeyNameLength) + " characters, not " +
               std::to_string(end - start);
      if (++levels > kMaxKeyLevels) return "keys nest at most " + std::to_string(kMaxKeyLevels) + " levels deep";
    }
    start = end + 1;
  }
  return std::string();
}

// One pass over the lines of a file, writing as it goes.
class Parser {
 public:
  Parser(const std::vector<Line>& lines, DWORD createOptions) : lines_(lines), createOptions_(createOptions) {}
  ~Parser() { CloseKey(); }

  bool Run(ParseError* error) {
    size_t i = 0;
    while (i < lines_.size() && Trim(lines_[i].text).empty()) ++i;
    if (i == lines_.size() || Trim(lines_[i].text) != kHeader)
      return Fail(error, i < lines_.size() ? lines_[i].number : 1,
                  "not a registry export: the first line must be 'Windows Registry Editor Version 5.00'");
    for (++i; i < lines_.size(); ++i) {
      const WString text = Trim(lines_[i].text);
      if (text.empty() || text[0] == W(';')) continue;
      if (text[0] == W('[')) {
        if (!KeyLine(lines_[i].number, text, error)) return false;
      } else if (text[0] == W('"') || text[0] == W('@')) {
        if (!ValueLine(&i, error)) return false;
      } else {
        return Fail(error, lines_[i].number, "unexpected text " + Describe(text));
      }
    }
    return true;
  }

 private:
  static bool Fail(ParseError* error, int line, const std::string& message) {
    *error = {line, message};
    return false;
  }

  void CloseKey() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

  bool KeyLine(int number, const WString& text, ParseError* error) {
    CloseKey();
    inDeletedKey_ = false;
    if (text.back() != W(']')) return Fail(error, number, "a key line must end with ']'");
    WString path = text.substr(1, text.size() - 2);
    const bool deletion = !path.empty() && path[0] == W('-');
    if (deletion) path.erase(0, 1);
    const size_t separator = path.find(W('\\'));
    const HKEY root = RootNamed(path.substr(0, separator));
    if (!root) return Fail(error, number, "unknown root key in " + Describe(path));
    const WString subkey = separator == WString::npos ? WString() : path.substr(separator + 1);
    const std::string problem = KeyPathProblem(subkey);
    if (!problem.empty()) return Fail(error, number, problem);
    if (deletion) {
      if (subkey.empty()) return Fail(error, number, "a root key cannot be deleted");
      const LSTATUS status = DeleteRegistryTree(root, subkey);
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return Fail(error, number, "cannot delete " + Describe(path) + ": error " + std::to_string(status));
      inDeletedKey_ = true;
      return true;
    }
    const LSTATUS status = RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, createOptions_, KEY_ALL_ACCESS, nullptr,
                                           &key_, nullptr);
    if (status != ERROR_SUCCESS)
      return Fail(error, number, "cannot create " + Describe(path) + ": error " + std::to_string(status));
    return true;
  }

  // Reads a quoted text starting at `pos` (on the opening quote); `pos` ends
  // after the closing quote.
  static bool QuotedText(const WString& text, size_t* pos, WString* out) {
    out->clear();
    for (size_t i = *pos + 1; i < text.size(); ++i) {
      const WCHAR c = text[i];
      if (c == W('"')) {
        *pos = i + 1;
        return true;
      }
      if (c == W('\\') && i + 1 < text.size()) {
        const WCHAR next = text[++i];
        if (next == W('n')) *out += W('\n');
        else if (next == W('\\') || next == W('"')) *out += next;
        else return false;
      } else {
        *out += c;
      }
    }
    return false;
  }

  bool ValueLine(size_t* index, ParseError* error) {
    const int number = lines_[*index].number;
    const WString text = Trim(lines_[*index].text);
    WString name;  // empty for "@", the default value
    size_t pos = 1;
    if (text[0] == W('"')) {
      pos = 0;
      if (!QuotedText(text, &pos, &name)) return Fail(error, number, "unterminated or badly escaped value name");
    }
    while (pos < text.size() && text[pos] == W(' ')) ++pos;
    if (pos >= text.size() || text[pos] != W('=')) return Fail(error, number, "'=' expected after the value name");
    if (HoldsNul(name)) return Fail(error, number, "a value name cannot hold a NUL character");
    WString data = Trim(text.substr(pos + 1));
    if (!key_ && !inDeletedKey_) return Fail(error, number, "a value must follow a key line");

    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
    if (data == W("-")) return DeleteValue(number, name, error);
    if (!data.empty() && data[0] == W('"')) {
      WString value;
      size_t end = 0;
      if (!QuotedText(data, &end, &value) || !Trim(data.substr(end)).empty())
        return Fail(error, number, "badly quoted text value");
      const BYTE* raw = reinterpret_cast<const BYTE*>(value.c_str());
      bytes.assign(raw, raw + (value.size() + 1) * sizeof(WCHAR));
    } else if (StartsWith(data, W("dword:"))) {
      unsigned long long number64 = 0;
      if (!ParseHexNumber(data.substr(6), 0xFFFFFFFFull, &number64))
        return Fail(error, number, "dword: needs up to eight hexadecimal digits");
      type = REG_DWORD;
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(number64 >> shift));
    } else if (StartsWith(data, W("hex"))) {
      if (!HexValue(index, data, &type, &bytes, error)) return false;
    } else {
      return Fail(error, number, "unrecognised value data " + Describe(data));
    }
    if (inDeletedKey_) return true;
    const LSTATUS status = RegSetValueExW(key_, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    if (status != ERROR_SUCCESS)
      return Fail(error, number, "cannot write value " + Describe(name) + ": error " + std::to_string(status));
    return true;
  }

  bool DeleteValue(int number, const WString& name, ParseError* error) {
    if (inDeletedKey_) return true;
    const LSTATUS status = RegDeleteValueW(key_, name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
      return Fail(error, number, "cannot delete value " + Describe(name) + ": error " + std::to_string(status));
    return true;
  }

  // hex:aa,bb,... or hex(N):aa,..., continued on the following lines while a
  // line ends with "\".
  bool HexValue(size_t* index, const WString& data, DWORD* type, std::vector<BYTE>* bytes, ParseError* error) {
    int number = lines_[*index].number;
    size_t colon = data.find(W(':'));
    if (colon == WString::npos) return Fail(error, number, "':' expected after hex");
    const WString kind = data.substr(0, colon);
    *type = REG_BINARY;
    if (kind != W("hex")) {
      unsigned long long parsed = 0;
      if (kind.size() < 6 || kind.compare(0, 4, W("hex(")) != 0 || kind.back() != W(')') ||
          !ParseHexNumber(kind.substr(4, kind.size() - 5), 0xFFFFFFFFull, &parsed))
        return Fail(error, number, "hex(N): expected, N hexadecimal");
      *type = static_cast<DWORD>(parsed);
    }
    WString segment = data.substr(colon + 1);
    for (;;) {
      segment = Trim(segment);
      const bool continued = !segment.empty() && segment.back() == W('\\');
      if (continued) segment.pop_back();
      if (!HexBytes(segment, number, bytes, error)) return false;
      if (!continued) return true;
      if (++*index >= lines_.size()) return Fail(error, number, "the file ends inside a continued value");
      segment = lines_[*index].text;
      number = lines_[*index].number;
    }
  }

  static bool HexBytes(const WString& segment, int number, std::vector<BYTE>* bytes, ParseError* error) {
    size_t start = 0;
    const WString text = Trim(segment);
    if (text.empty()) return true;
    while (start <= text.size()) {
      size_t comma = text.find(W(','), start);
      if (comma == WString::npos) comma = text.size();
      const WString item = Trim(text.substr(start, comma - start));
      const bool trailing = comma == text.size() && item.empty() && start > 0;
      if (!trailing) {
        unsigned long long value = 0;
        if (item.size() > 2 || !ParseHexNumber(item, 0xFF, &value))
          return Fail(error, number, "bad byte " + Describe(item) + " in hex data");
        bytes->push_back(static_cast<BYTE>(value));
      }
      start = comma + 1;
    }
    return true;
  }

  const std::vector<Line>& lines_;
  DWORD createOptions_;
  HKEY key_ = nullptr;
  bool inDeletedKey_ = false;
};

}  // namespace

bool RegFileLoader::LoadFile(const std::string& path) {
  errorLine_ = 0;
  std::string bytes;
  if (!ReadInputFile(path, &bytes, &error_)) return false;
  WString text;
  std::string why;
  if (!DecodeTextFile(bytes, &text, &why)) {
    error_ = ShownName(path) + ": " + why;
    return false;
  }
  return LoadText(text, ShownName(path));
}

bool RegFileLoader::LoadText(const WString& text, const std::string& source) {
  const std::vector<Line> lines = SplitLines(text);
  ParseError error{0, std::string()};
  Parser parser(lines, createOptions_);
  if (parser.Run(&error)) {
    error_.clear();
    errorLine_ = 0;
    return true;
  }
  errorLine_ = error.line;
  error_ = source + ":" + std::to_string(error.line) + ": " + error.message;
  return false;
}
