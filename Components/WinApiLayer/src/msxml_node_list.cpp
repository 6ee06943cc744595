#include "msxml_node_list.h"

#include "msxml_dispatch.h"
#include "msxml_node.h"

namespace winapi::msxml {
namespace {

class DomNodeList final : public DomDispatch<DomNodeList, Chain<IXMLDOMNodeList, IDispatch>> {
 public:
  DomNodeList(XmlDocRef doc, std::vector<xmlNodePtr> nodes) : doc_(std::move(doc)), nodes_(std::move(nodes)) {}

  // An index outside the list is not an error: S_FALSE and no node.
  HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override {
    if (!item) return E_INVALIDARG;
    *item = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return S_FALSE;
    return CreateDomNode(doc_, nodes_[index], IID_IXMLDOMNode, reinterpret_cast<void**>(item));
  }
  HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
    if (!length) return E_INVALIDARG;
    *length = static_cast<LONG>(nodes_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** item) override {
    const HRESULT hr = get_item(static_cast<LONG>(next_), item);
    if (hr == S_OK) ++next_;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown**) override { return NotImplemented("get__newEnum"); }

 private:
  XmlDocRef doc_;
  std::vector<xmlNodePtr> nodes_;
  size_t next_ = 0;
};

}  // namespace

HRESULT CreateDomNodeList(const XmlDocRef& doc, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out) {
  return MakeComObjectInto<DomNodeList>(out, doc, std::move(nodes));
}

}  // namespace winapi::msxml
