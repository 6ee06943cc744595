#include "settings/manifest_fields.h"

#include <com_ptr.h>
#include <unique_bstr.h>

namespace {

// The child element `name` (a relative query, so only direct children count;
// the first one wins), or null.
ComPtr<IXMLDOMNode> FindChild(IXMLDOMElement* element, const WString& name) {
  ComPtr<IXMLDOMNode> child;
  const UniqueBstr query(name);
  if (!element || !query || element->selectSingleNode(query.Get(), &child) != S_OK) child.Reset();
  return child;
}

bool ReadNodeText(IXMLDOMNode* node, WString* text) {
  UniqueBstr value;
  if (FAILED(node->get_text(value.Put()))) return false;
  *text = value.ToString();
  return true;
}

bool IsDecimalBlank(WCHAR c) { return c == W(' ') || (c >= W('\t') && c <= W('\r')); }

// A hexadecimal digit's value. What a character that is no hex digit stands for
// is not settled anywhere; it counts as 0 here.
WCHAR HexValue(WCHAR c) {
  if (c >= W('0') && c <= W('9')) return static_cast<WCHAR>(c - W('0'));
  if (c >= W('A') && c <= W('F')) return static_cast<WCHAR>(c - W('A') + 10);
  if (c >= W('a') && c <= W('f')) return static_cast<WCHAR>(c - W('a') + 10);
  return 0;
}

}  // namespace

LONG ReadFlag(IXMLDOMElement* element, WString name) {
  const ComPtr<IXMLDOMNode> child = FindChild(element, name);
  WString text;
  if (!child || !ReadNodeText(child.Get(), &text)) return -1;
  return ReadsAsNonZero(text) ? 1 : 0;
}

WString ReadText(IXMLDOMElement* element, WString name) {
  const ComPtr<IXMLDOMNode> child = FindChild(element, name);
  WString text;
  if (!child || !ReadNodeText(child.Get(), &text)) return WString();
  return text;
}

// Only whether the value is zero matters, so the digits need not be summed
// (and cannot overflow).
bool ReadsAsNonZero(const WString& text) {
  size_t i = 0;
  while (i < text.size() && IsDecimalBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == W('+') || text[i] == W('-'))) ++i;
  for (; i < text.size() && text[i] >= W('0') && text[i] <= W('9'); ++i)
    if (text[i] != W('0')) return true;
  return false;
}

void PercentDecode(WString& text) {
  WString decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != W('%')) {
      decoded += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == W('%')) {
      decoded += W('%');
      ++i;
    } else if (i + 2 < text.size()) {
      decoded += static_cast<WCHAR>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    }
  }
  text = std::move(decoded);
}
