#include "settings/manifest_document.h"

#include <com_ptr.h>
#include <result_macros.h>
#include <unique_bstr.h>

const WCHAR kManifestCategory[] = W("Portable");
const WCHAR kManifestEntry[] = W("WMDM");

WString WrapManifestText(const WString& entryText) {
  return W("<?xml version=\"1.0\"?>\r\n<Overall>\r\n") + entryText + W("\r\n</Overall>\r\n");
}

HRESULT ParseManifestText(const WString& entryText, IXMLDOMDocument** document) {
  if (!document) return E_POINTER;
  *document = nullptr;
  ComPtr<IXMLDOMDocument> parsed;
  RETURN_IF_FAILED(
      CoCreateInstance(CLSID_XmlDomDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, parsed.AsVoidOut()));
  RETURN_HR_IF_NULL(E_NOINTERFACE, parsed.Get());
  RETURN_IF_FAILED(parsed->put_async(VARIANT_FALSE));
  RETURN_IF_FAILED(parsed->put_validateOnParse(VARIANT_FALSE));
  RETURN_IF_FAILED(parsed->put_resolveExternals(VARIANT_FALSE));
  const UniqueBstr text(WrapManifestText(entryText));
  RETURN_HR_IF_NULL(E_OUTOFMEMORY, text.Get());
  VARIANT_BOOL loaded = VARIANT_FALSE;
  RETURN_IF_FAILED(parsed->loadXML(text.Get(), &loaded));
  RETURN_HR_IF(E_FAIL, loaded != VARIANT_TRUE);
  *document = parsed.Detach();
  return S_OK;
}

HRESULT LoadManifestDocument(SettingsStoreEntries& entries, IXMLDOMDocument** document) {
  if (!document) return E_POINTER;
  *document = nullptr;
  entries.Load(kManifestCategory);
  const WString* text = entries.Find(kManifestEntry);
  if (!text) return S_FALSE;
  return ParseManifestText(*text, document);
}

bool ForEachSelectedNode(IXMLDOMNode* context, const WCHAR* query, const std::function<void(IXMLDOMNode*)>& visit) {
  const UniqueBstr queryText(query);
  ComPtr<IXMLDOMNodeList> nodes;
  LONG length = 0;
  if (FAILED(context->selectNodes(queryText.Get(), &nodes)) || !nodes || FAILED(nodes->get_length(&length)))
    return false;
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> node;
    if (SUCCEEDED(nodes->get_item(i, &node)) && node) visit(node.Get());
  }
  return true;
}
