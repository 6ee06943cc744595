// Shared by the DOM tests: an apartment, a DOMDocument from CoCreateInstance
// and short ways to query it. On the Windows lane the document is the
// platform's own, so these tests state what a real DOM answers.
#pragma once

#include <gtest/gtest.h>

#include <com_ptr.h>
#include <msxml_ids.h>
#include <oleauto.h>
#include <unique_bstr.h>
#include <wide_text.h>

// A BSTR argument, freed at the end of the full expression.
struct TestBstr : UniqueBstr {
  explicit TestBstr(const WString& text) : UniqueBstr(text) {}
  operator BSTR() const { return Get(); }
};

class DomDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_XmlDomDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                     document_.AsVoidOut()));
  }
  void TearDown() override {
    if (document_) {
      EXPECT_EQ(0u, document_.Detach()->Release()) << "the document outlived its test";
    }
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
    ComPtr<IXMLDOMNodeList> list;
    if (from->selectNodes(TestBstr(query), &list) != S_OK || !list) return -1;
    LONG length = -1;
    EXPECT_EQ(S_OK, list->get_length(&length));
    return length;
  }

  ComPtr<IXMLDOMNode> Single(IXMLDOMNode* from, const WString& query) {
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(S_OK, from->selectSingleNode(TestBstr(query), &node)) << wide::ToUtf8(query);
    return node;
  }

  WString Text(IXMLDOMNode* node) {
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, node->get_text(&text));
    return UniqueBstr::Adopt(text).ToString();
  }

  ComPtr<IXMLDOMElement> Element(IXMLDOMNode* node) {
    ComPtr<IXMLDOMElement> element;
    EXPECT_EQ(S_OK, node->QueryInterface(IID_IXMLDOMElement, element.AsVoidOut()));
    return element;
  }

  IXMLDOMNode* Root() { return document_.Get(); }

  ComPtr<IXMLDOMDocument> document_;
};
