#include "msxml_node_ops.h"

#include <algorithm>

namespace winapi::msxml {
namespace {

HRESULT HandOut(const WString& text, BSTR* out) {
  *out = AllocBstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

WString QualifiedName(xmlNodePtr node) {
  WString name = FromXmlText(node->name);
  if (node->ns && node->ns->prefix) return FromXmlText(node->ns->prefix) + W(":") + name;
  return name;
}

bool HasNoValue(xmlElementType type) {
  return type == XML_ELEMENT_NODE || type == XML_DOCUMENT_NODE || type == XML_HTML_DOCUMENT_NODE ||
         type == XML_DOCUMENT_FRAG_NODE || type == XML_DOCUMENT_TYPE_NODE || type == XML_DTD_NODE ||
         type == XML_ENTITY_REF_NODE || type == XML_ENTITY_DECL || type == XML_NOTATION_NODE;
}

// The text of an element: its descendants' text and CDATA joined. Text nodes
// are white-space normalised (one that holds only white space stands for one
// blank; the ends of the whole are trimmed), CDATA sections are taken as written,
// so the trimming never cuts into them.
class JoinedText {
 public:
  void AppendChildren(xmlNodePtr parent) {
    for (xmlNodePtr child = parent->children; child; child = child->next) Append(child);
  }

  WString Trimmed() const {
    size_t begin = text_.find_first_not_of(kXmlWhiteSpace);
    if (begin == WString::npos || begin > firstVerbatim_) begin = std::min(firstVerbatim_, text_.size());
    size_t end = text_.find_last_not_of(kXmlWhiteSpace);
    end = end == WString::npos ? 0 : end + 1;
    end = std::max(end, endOfVerbatim_);
    return begin < end ? text_.substr(begin, end - begin) : WString();
  }

 private:
  void Append(xmlNodePtr node) {
    switch (node->type) {
      case XML_TEXT_NODE: {
        const WString content = FromXmlText(node->content);
        text_ += TrimXmlWhiteSpace(content).empty() && !content.empty() ? WString(W(" ")) : content;
        break;
      }
      case XML_CDATA_SECTION_NODE:
        firstVerbatim_ = std::min(firstVerbatim_, text_.size());
        text_ += FromXmlText(node->content);
        endOfVerbatim_ = text_.size();
        break;
      case XML_ELEMENT_NODE:
      case XML_ENTITY_REF_NODE:
        AppendChildren(node);
        break;
      default:
        break;
    }
  }

  WString text_;
  size_t firstVerbatim_ = WString::npos;
  size_t endOfVerbatim_ = 0;
};

}  // namespace

HRESULT GetNodeName(xmlNodePtr node, BSTR* name) {
  if (!name) return E_INVALIDARG;
  *name = nullptr;
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
      return HandOut(QualifiedName(node), name);
    case XML_TEXT_NODE:
      return HandOut(W("#text"), name);
    case XML_CDATA_SECTION_NODE:
      return HandOut(W("#cdata-section"), name);
    case XML_COMMENT_NODE:
      return HandOut(W("#comment"), name);
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return HandOut(W("#document"), name);
    case XML_DOCUMENT_FRAG_NODE:
      return HandOut(W("#document-fragment"), name);
    default:
      return HandOut(FromXmlText(node->name), name);
  }
}

HRESULT GetNodeValue(xmlNodePtr node, VARIANT* value) {
  if (!value) return E_INVALIDARG;
  VariantInit(value);
  if (HasNoValue(node->type)) {
    value->vt = VT_NULL;
    return S_FALSE;
  }
  BSTR text = AllocBstr(TakeXmlText(xmlNodeGetContent(node)));
  if (!text) return E_OUTOFMEMORY;
  value->vt = VT_BSTR;
  value->bstrVal = text;
  return S_OK;
}

HRESULT GetNodeType(xmlNodePtr node, DOMNodeType* type) {
  if (!type) return E_INVALIDARG;
  switch (node->type) {
    case XML_ELEMENT_NODE: *type = NODE_ELEMENT; break;
    case XML_ATTRIBUTE_NODE: *type = NODE_ATTRIBUTE; break;
    case XML_TEXT_NODE: *type = NODE_TEXT; break;
    case XML_CDATA_SECTION_NODE: *type = NODE_CDATA_SECTION; break;
    case XML_ENTITY_REF_NODE: *type = NODE_ENTITY_REFERENCE; break;
    case XML_ENTITY_DECL: *type = NODE_ENTITY; break;
    case XML_PI_NODE: *type = NODE_PROCESSING_INSTRUCTION; break;
    case XML_COMMENT_NODE: *type = NODE_COMMENT; break;
    case XML_DOCUMENT_NODE: *type = NODE_DOCUMENT; break;
    case XML_DOCUMENT_TYPE_NODE:
    case XML_DTD_NODE: *type = NODE_DOCUMENT_TYPE; break;
    case XML_DOCUMENT_FRAG_NODE: *type = NODE_DOCUMENT_FRAGMENT; break;
    case XML_NOTATION_NODE: *type = NODE_NOTATION; break;
    default: *type = NODE_INVALID; break;
  }
  return S_OK;
}

HRESULT GetNodeText(xmlNodePtr node, BSTR* text) {
  if (!text) return E_INVALIDARG;
  *text = nullptr;
  switch (node->type) {
    case XML_TEXT_NODE:
      return HandOut(TrimXmlWhiteSpace(TakeXmlText(xmlNodeGetContent(node))), text);
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE: {
      JoinedText joined;
      joined.AppendChildren(node);
      return HandOut(joined.Trimmed(), text);
    }
    default:
      return HandOut(TakeXmlText(xmlNodeGetContent(node)), text);
  }
}

}  // namespace winapi::msxml
