#include "msxml_document.h"

#include <libxml/parser.h>

#include <climits>
#include <mutex>

#include "msxml_node.h"
#include "msxml_node_base.h"

namespace winapi::msxml {
namespace {

// libxml2 reads external entities through one process-wide loader; ours lets
// them through only while a document that resolves externals is loading.
thread_local bool resolvingExternals = false;
xmlExternalEntityLoader defaultEntityLoader = nullptr;

xmlParserInputPtr LoadExternalEntity(const char* url, const char* id, xmlParserCtxtPtr context) {
  if (!resolvingExternals || !defaultEntityLoader) return nullptr;
  return defaultEntityLoader(url, id, context);
}

void InstallEntityLoader() {
  static std::once_flag once;
  std::call_once(once, [] {
    EnsureXmlLibrary();
    defaultEntityLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(LoadExternalEntity);
  });
}

class ExternalsScope {
 public:
  explicit ExternalsScope(bool resolve) { resolvingExternals = resolve; }
  ~ExternalsScope() { resolvingExternals = false; }
};

XmlDocRef EmptyDocument() { return AdoptXmlDoc(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"))); }

HRESULT PutFlag(VARIANT_BOOL value, bool* flag) {
  *flag = value != VARIANT_FALSE;
  return S_OK;
}

HRESULT GetFlag(bool flag, VARIANT_BOOL* value) {
  if (!value) return E_INVALIDARG;
  *value = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

class DomDocument final : public DomNodeBase<DomDocument, Chain<IXMLDOMDocument, IXMLDOMNode, IDispatch>> {
 public:
  explicit DomDocument(XmlDocRef doc) : doc_(std::move(doc)) {}

  xmlNodePtr XmlNode() const { return reinterpret_cast<xmlNodePtr>(doc_.get()); }
  const XmlDocRef& XmlDoc() const { return doc_; }

  HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) override;
  HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) override;

  HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* value) override { return GetFlag(async_, value); }
  HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL value) override { return PutFlag(value, &async_); }
  // Recorded and answered; no document here carries a DTD to validate against.
  HRESULT STDMETHODCALLTYPE get_validateOnParse(VARIANT_BOOL* value) override {
    return GetFlag(validateOnParse_, value);
  }
  HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL value) override {
    return PutFlag(value, &validateOnParse_);
  }
  HRESULT STDMETHODCALLTYPE get_resolveExternals(VARIANT_BOOL* value) override {
    return GetFlag(resolveExternals_, value);
  }
  HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL value) override {
    return PutFlag(value, &resolveExternals_);
  }
  HRESULT STDMETHODCALLTYPE get_preserveWhiteSpace(VARIANT_BOOL* value) override {
    return GetFlag(preserveWhiteSpace_, value);
  }
  HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL value) override {
    return PutFlag(value, &preserveWhiteSpace_);
  }

  HRESULT STDMETHODCALLTYPE get_doctype(IXMLDOMDocumentType**) override { return NotImplemented("get_doctype"); }
  HRESULT STDMETHODCALLTYPE get_implementation(IXMLDOMImplementation**) override {
    return NotImplemented("get_implementation");
  }
  HRESULT STDMETHODCALLTYPE putref_documentElement(IXMLDOMElement*) override {
    return NotImplemented("putref_documentElement");
  }
  HRESULT STDMETHODCALLTYPE createElement(BSTR, IXMLDOMElement**) override { return NotImplemented("createElement"); }
  HRESULT STDMETHODCALLTYPE createDocumentFragment(IXMLDOMDocumentFragment**) override {
    return NotImplemented("createDocumentFragment");
  }
  HRESULT STDMETHODCALLTYPE createTextNode(BSTR, IXMLDOMText**) override { return NotImplemented("createTextNode"); }
  HRESULT STDMETHODCALLTYPE createComment(BSTR, IXMLDOMComment**) override { return NotImplemented("createComment"); }
  HRESULT STDMETHODCALLTYPE createCDATASection(BSTR, IXMLDOMCDATASection**) override {
    return NotImplemented("createCDATASection");
  }
  HRESULT STDMETHODCALLTYPE createProcessingInstruction(BSTR, BSTR, IXMLDOMProcessingInstruction**) override {
    return NotImplemented("createProcessingInstruction");
  }
  HRESULT STDMETHODCALLTYPE createAttribute(BSTR, IXMLDOMAttribute**) override {
    return NotImplemented("createAttribute");
  }
  HRESULT STDMETHODCALLTYPE createEntityReference(BSTR, IXMLDOMEntityReference**) override {
    return NotImplemented("createEntityReference");
  }
  HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR, IXMLDOMNodeList**) override {
    return NotImplemented("getElementsByTagName");
  }
  HRESULT STDMETHODCALLTYPE createNode(VARIANT, BSTR, BSTR, IXMLDOMNode**) override {
    return NotImplemented("createNode");
  }
  HRESULT STDMETHODCALLTYPE nodeFromID(BSTR, IXMLDOMNode**) override { return NotImplemented("nodeFromID"); }
  HRESULT STDMETHODCALLTYPE load(VARIANT, VARIANT_BOOL*) override { return NotImplemented("load"); }
  HRESULT STDMETHODCALLTYPE get_readyState(LONG*) override { return NotImplemented("get_readyState"); }
  HRESULT STDMETHODCALLTYPE get_parseError(IXMLDOMParseError**) override { return NotImplemented("get_parseError"); }
  HRESULT STDMETHODCALLTYPE get_url(BSTR*) override { return NotImplemented("get_url"); }
  HRESULT STDMETHODCALLTYPE abort() override { return NotImplemented("abort"); }
  HRESULT STDMETHODCALLTYPE save(VARIANT) override { return NotImplemented("save"); }
  HRESULT STDMETHODCALLTYPE put_onreadystatechange(VARIANT) override {
    return NotImplemented("put_onreadystatechange");
  }
  HRESULT STDMETHODCALLTYPE put_ondataavailable(VARIANT) override { return NotImplemented("put_ondataavailable"); }
  HRESULT STDMETHODCALLTYPE put_ontransformnode(VARIANT) override { return NotImplemented("put_ontransformnode"); }

 private:
  XmlDocRef doc_;
  // MSXML 3's defaults.
  bool async_ = true;
  bool validateOnParse_ = true;
  bool resolveExternals_ = true;
  bool preserveWhiteSpace_ = false;
};

// Text that is not well formed leaves an empty document and answers S_FALSE
// with VARIANT_FALSE. The string is already UTF-16, so an encoding named in
// its declaration is ignored.
HRESULT DomDocument::loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) {
  if (isSuccessful) *isSuccessful = VARIANT_FALSE;
  InstallEntityLoader();
  const std::string text = ToXmlText(xml);
  xmlDocPtr parsed = nullptr;
  if (text.size() <= INT_MAX) {
    ExternalsScope externals(resolveExternals_);
    const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                        XML_PARSE_IGNORE_ENC | (resolveExternals_ ? XML_PARSE_DTDLOAD : 0);
    parsed = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", options);
  }
  XmlDocRef replacement = parsed ? AdoptXmlDoc(parsed) : EmptyDocument();
  if (!replacement) return E_OUTOFMEMORY;
  doc_ = std::move(replacement);
  if (!parsed) return S_FALSE;
  if (isSuccessful) *isSuccessful = VARIANT_TRUE;
  return S_OK;
}

HRESULT DomDocument::get_documentElement(IXMLDOMElement** element) {
  if (!element) return E_INVALIDARG;
  *element = nullptr;
  const xmlNodePtr root = xmlDocGetRootElement(doc_.get());
  if (!root) return S_FALSE;
  return CreateDomNode(doc_, root, IID_IXMLDOMElement, reinterpret_cast<void**>(element));
}

}  // namespace

HRESULT CreateDomDocument(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  EnsureXmlLibrary();
  XmlDocRef empty = EmptyDocument();
  if (!empty) return E_OUTOFMEMORY;
  const ComPtr<DomDocument> document = MakeComObject<DomDocument>(std::move(empty));
  if (!document) return E_OUTOFMEMORY;
  return document->QueryInterface(riid, out);
}

}  // namespace winapi::msxml
