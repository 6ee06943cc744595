// The IXMLDOMNode part of the DOM objects, shared by the document and the
// nodes handed out from it; each lists its interfaces as a chain down to
// IDispatch (Chain<IXMLDOMElement, IXMLDOMNode, IDispatch>). Derived supplies
// XmlNode() and XmlDoc().
#pragma once

#include "msxml_dispatch.h"
#include "msxml_node_ops.h"

namespace winapi::msxml {

template <typename Derived, typename Interfaces>
class DomNodeBase : public DomDispatch<Derived, Interfaces> {
 public:
  HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override { return GetNodeName(Node(), name); }
  HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override { return GetNodeValue(Node(), value); }
  HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override { return GetNodeType(Node(), type); }
  HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override { return GetNodeText(Node(), text); }
  HRESULT STDMETHODCALLTYPE selectNodes(BSTR query, IXMLDOMNodeList** list) override {
    return SelectNodes(Doc(), Node(), query, list);
  }
  HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR query, IXMLDOMNode** node) override {
    return SelectSingleNode(Doc(), Node(), query, node);
  }

  HRESULT STDMETHODCALLTYPE put_nodeValue(VARIANT) override { return NotImplemented("put_nodeValue"); }
  HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode**) override { return NotImplemented("get_parentNode"); }
  HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList**) override { return NotImplemented("get_childNodes"); }
  HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode**) override { return NotImplemented("get_firstChild"); }
  HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode**) override { return NotImplemented("get_lastChild"); }
  HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode**) override {
    return NotImplemented("get_previousSibling");
  }
  HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode**) override { return NotImplemented("get_nextSibling"); }
  HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap**) override {
    return NotImplemented("get_attributes");
  }
  HRESULT STDMETHODCALLTYPE insertBefore(IXMLDOMNode*, VARIANT, IXMLDOMNode**) override {
    return NotImplemented("insertBefore");
  }
  HRESULT STDMETHODCALLTYPE replaceChild(IXMLDOMNode*, IXMLDOMNode*, IXMLDOMNode**) override {
    return NotImplemented("replaceChild");
  }
  HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode*, IXMLDOMNode**) override {
    return NotImplemented("removeChild");
  }
  HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode*, IXMLDOMNode**) override {
    return NotImplemented("appendChild");
  }
  HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL*) override { return NotImplemented("hasChildNodes"); }
  HRESULT STDMETHODCALLTYPE get_ownerDocument(IXMLDOMDocument**) override {
    return NotImplemented("get_ownerDocument");
  }
  HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL, IXMLDOMNode**) override { return NotImplemented("cloneNode"); }
  HRESULT STDMETHODCALLTYPE get_nodeTypeString(BSTR*) override { return NotImplemented("get_nodeTypeString"); }
  HRESULT STDMETHODCALLTYPE put_text(BSTR) override { return NotImplemented("put_text"); }
  HRESULT STDMETHODCALLTYPE get_specified(VARIANT_BOOL*) override { return NotImplemented("get_specified"); }
  HRESULT STDMETHODCALLTYPE get_definition(IXMLDOMNode**) override { return NotImplemented("get_definition"); }
  HRESULT STDMETHODCALLTYPE get_nodeTypedValue(VARIANT*) override { return NotImplemented("get_nodeTypedValue"); }
  HRESULT STDMETHODCALLTYPE put_nodeTypedValue(VARIANT) override { return NotImplemented("put_nodeTypedValue"); }
  HRESULT STDMETHODCALLTYPE get_dataType(VARIANT*) override { return NotImplemented("get_dataType"); }
  HRESULT STDMETHODCALLTYPE put_dataType(BSTR) override { return NotImplemented("put_dataType"); }
  HRESULT STDMETHODCALLTYPE get_xml(BSTR*) override { return NotImplemented("get_xml"); }
  HRESULT STDMETHODCALLTYPE transformNode(IXMLDOMNode*, BSTR*) override { return NotImplemented("transformNode"); }
  HRESULT STDMETHODCALLTYPE get_parsed(VARIANT_BOOL*) override { return NotImplemented("get_parsed"); }
  HRESULT STDMETHODCALLTYPE get_namespaceURI(BSTR*) override { return NotImplemented("get_namespaceURI"); }
  HRESULT STDMETHODCALLTYPE get_prefix(BSTR*) override { return NotImplemented("get_prefix"); }
  HRESULT STDMETHODCALLTYPE get_baseName(BSTR*) override { return NotImplemented("get_baseName"); }
  HRESULT STDMETHODCALLTYPE transformNodeToObject(IXMLDOMNode*, VARIANT) override {
    return NotImplemented("transformNodeToObject");
  }

 protected:
  DomNodeBase() = default;
  ~DomNodeBase() = default;

 private:
  xmlNodePtr Node() const { return static_cast<const Derived*>(this)->XmlNode(); }
  const XmlDocRef& Doc() const { return static_cast<const Derived*>(this)->XmlDoc(); }
};

}  // namespace winapi::msxml
