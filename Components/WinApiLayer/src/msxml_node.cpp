#include "msxml_node.h"

#include "msxml_node_base.h"

namespace winapi::msxml {
namespace {

// Attributes, text and the other nodes that are no elements.
class DomNode final : public DomNodeBase<DomNode, Chain<IXMLDOMNode, IDispatch>> {
 public:
  DomNode(XmlDocRef doc, xmlNodePtr node) : doc_(std::move(doc)), node_(node) {}

  xmlNodePtr XmlNode() const { return node_; }
  const XmlDocRef& XmlDoc() const { return doc_; }

 private:
  XmlDocRef doc_;
  xmlNodePtr node_;
};

class DomElement final : public DomNodeBase<DomElement, Chain<IXMLDOMElement, IXMLDOMNode, IDispatch>> {
 public:
  DomElement(XmlDocRef doc, xmlNodePtr node) : doc_(std::move(doc)), node_(node) {}

  xmlNodePtr XmlNode() const { return node_; }
  const XmlDocRef& XmlDoc() const { return doc_; }

  HRESULT STDMETHODCALLTYPE get_tagName(BSTR* name) override { return get_nodeName(name); }
  HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) override;

  HRESULT STDMETHODCALLTYPE setAttribute(BSTR, VARIANT) override { return NotImplemented("setAttribute"); }
  HRESULT STDMETHODCALLTYPE removeAttribute(BSTR) override { return NotImplemented("removeAttribute"); }
  HRESULT STDMETHODCALLTYPE getAttributeNode(BSTR, IXMLDOMAttribute**) override {
    return NotImplemented("getAttributeNode");
  }
  HRESULT STDMETHODCALLTYPE setAttributeNode(IXMLDOMAttribute*, IXMLDOMAttribute**) override {
    return NotImplemented("setAttributeNode");
  }
  HRESULT STDMETHODCALLTYPE removeAttributeNode(IXMLDOMAttribute*, IXMLDOMAttribute**) override {
    return NotImplemented("removeAttributeNode");
  }
  HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR, IXMLDOMNodeList**) override {
    return NotImplemented("getElementsByTagName");
  }
  HRESULT STDMETHODCALLTYPE normalize() override { return NotImplemented("normalize"); }

 private:
  XmlDocRef doc_;
  xmlNodePtr node_;
};

// Attributes are matched by their name as written, prefix included.
xmlAttrPtr FindAttribute(xmlNodePtr element, const WString& name) {
  for (xmlAttrPtr attribute = element->properties; attribute; attribute = attribute->next) {
    WString written = FromXmlText(attribute->name);
    if (attribute->ns && attribute->ns->prefix) written = FromXmlText(attribute->ns->prefix) + W(":") + written;
    if (written == name) return attribute;
  }
  return nullptr;
}

HRESULT DomElement::getAttribute(BSTR name, VARIANT* value) {
  if (!name || !value) return E_INVALIDARG;
  VariantInit(value);
  const xmlAttrPtr attribute = FindAttribute(node_, WString(name, SysStringLen(name)));
  if (!attribute) {
    value->vt = VT_NULL;
    return S_FALSE;
  }
  BSTR text = AllocBstr(TakeXmlText(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute))));
  if (!text) return E_OUTOFMEMORY;
  value->vt = VT_BSTR;
  value->bstrVal = text;
  return S_OK;
}

}  // namespace

HRESULT CreateDomNode(const XmlDocRef& doc, xmlNodePtr node, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const ComPtr<IXMLDOMNode> wrapper = node->type == XML_ELEMENT_NODE
                                          ? ComPtr<IXMLDOMNode>(MakeComObject<DomElement>(doc, node))
                                          : ComPtr<IXMLDOMNode>(MakeComObject<DomNode>(doc, node));
  if (!wrapper) return E_OUTOFMEMORY;
  return wrapper->QueryInterface(riid, out);
}

}  // namespace winapi::msxml
