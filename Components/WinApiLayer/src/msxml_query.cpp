// selectNodes and selectSingleNode through libxml2's XPath. The expressions the
// system uses ("//Devices/Device", "Product", "@Id") mean the same in XPath as
// in the older pattern language MSXML 3 selects with by default.
#include <libxml/xpath.h>

#include <vector>

#include "msxml_node.h"
#include "msxml_node_list.h"
#include "msxml_node_ops.h"

namespace winapi::msxml {
namespace {

// Keeps XPath's complaints about a bad expression off stderr; the caller gets E_FAIL.
void IgnoreXPathError(void*, xmlErrorPtr) {}

struct XPathContextDeleter {
  void operator()(xmlXPathContextPtr context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObjectPtr object) const { xmlXPathFreeObject(object); }
};

HRESULT Evaluate(xmlDocPtr doc, xmlNodePtr node, BSTR query, std::vector<xmlNodePtr>* found) {
  if (!query) return E_INVALIDARG;
  EnsureXmlLibrary();
  std::unique_ptr<xmlXPathContext, XPathContextDeleter> context(xmlXPathNewContext(doc));
  if (!context) return E_OUTOFMEMORY;
  context->node = node;
  context->error = IgnoreXPathError;
  const std::string expression = ToXmlText(query);
  std::unique_ptr<xmlXPathObject, XPathObjectDeleter> result(
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context.get()));
  if (!result || result->type != XPATH_NODESET) return E_FAIL;
  const xmlNodeSetPtr set = result->nodesetval;
  for (int i = 0; set && i < set->nodeNr; ++i) {
    // Namespace nodes are libxml2's own structures, not tree nodes; MSXML's
    // patterns never select them.
    if (set->nodeTab[i]->type != XML_NAMESPACE_DECL) found->push_back(set->nodeTab[i]);
  }
  return S_OK;
}

}  // namespace

HRESULT SelectNodes(const XmlDocRef& doc, xmlNodePtr node, BSTR query, IXMLDOMNodeList** list) {
  if (!list) return E_INVALIDARG;
  *list = nullptr;
  std::vector<xmlNodePtr> found;
  const HRESULT hr = Evaluate(doc.get(), node, query, &found);
  if (FAILED(hr)) return hr;
  return CreateDomNodeList(doc, std::move(found), list);
}

HRESULT SelectSingleNode(const XmlDocRef& doc, xmlNodePtr node, BSTR query, IXMLDOMNode** result) {
  if (!result) return E_INVALIDARG;
  *result = nullptr;
  std::vector<xmlNodePtr> found;
  const HRESULT hr = Evaluate(doc.get(), node, query, &found);
  if (FAILED(hr)) return hr;
  if (found.empty()) return S_FALSE;
  return CreateDomNode(doc, found.front(), IID_IXMLDOMNode, reinterpret_cast<void**>(result));
}

}  // namespace winapi::msxml
