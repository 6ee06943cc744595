// Shared by the DOM tests: an apartment, a DOMDocument from CoCreateInstance
// and short ways to query it. On the Windows lane the document is the
// platform's own, so these tests state what a real DOM answers.
#pragma once

#include <gtest/gtest.h>

#include <msxml_ids.h>
#include <oleauto.h>
#include <wide_text.h>

#include <utility>

// One reference to an interface, released when the holder goes.
template <typename T>
class DomRef {
 public:
  DomRef() = default;
  DomRef(const DomRef&) = delete;
  DomRef& operator=(const DomRef&) = delete;
  DomRef(DomRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ~DomRef() { Reset(); }

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  T** Put() {
    Reset();
    return &ptr_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (ptr_) ptr_->Release();
    ptr_ = nullptr;
  }

 private:
  T* ptr_ = nullptr;
};

// A BSTR for an argument, freed at the end of the full expression's owner.
class TestBstr {
 public:
  explicit TestBstr(const WString& text)
      : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  TestBstr(const TestBstr&) = delete;
  TestBstr& operator=(const TestBstr&) = delete;
  ~TestBstr() { SysFreeString(bstr_); }
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

// Takes a returned BSTR, frees it and gives its text.
inline WString TakeBstr(BSTR text) {
  WString result = text ? WString(text, SysStringLen(text)) : WString();
  SysFreeString(text);
  return result;
}

class DomDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_XmlDomDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                     document_.PutVoid()));
  }
  void TearDown() override {
    document_.Reset();
    CoUninitialize();
  }

  // loadXML's answer, with the flag it must agree with.
  HRESULT Load(const WString& text) {
    VARIANT_BOOL loaded = 12345;
    const HRESULT hr = document_->loadXML(TestBstr(text), &loaded);
    EXPECT_EQ(hr == S_OK ? VARIANT_TRUE : VARIANT_FALSE, loaded);
    return hr;
  }

  LONG Count(IXMLDOMNode* from, const WString& query) {
    DomRef<IXMLDOMNodeList> list;
    if (from->selectNodes(TestBstr(query), list.Put()) != S_OK || !list) return -1;
    LONG length = -1;
    EXPECT_EQ(S_OK, list->get_length(&length));
    return length;
  }

  DomRef<IXMLDOMNode> Single(IXMLDOMNode* from, const WString& query) {
    DomRef<IXMLDOMNode> node;
    EXPECT_EQ(S_OK, from->selectSingleNode(TestBstr(query), node.Put())) << wide::ToUtf8(query);
    return node;
  }

  WString Text(IXMLDOMNode* node) {
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, node->get_text(&text));
    return TakeBstr(text);
  }

  DomRef<IXMLDOMElement> Element(IXMLDOMNode* node) {
    DomRef<IXMLDOMElement> element;
    EXPECT_EQ(S_OK, node->QueryInterface(IID_IXMLDOMElement, element.PutVoid()));
    return element;
  }

  IXMLDOMNode* Root() { return document_.Get(); }

  DomRef<IXMLDOMDocument> document_;
};
