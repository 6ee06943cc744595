#include "msxml_test_fixture.h"

namespace {

TEST_F(DomDocumentTest, AnswersTheDocumentAndNodeInterfacesOnly) {
  ComPtr<IXMLDOMNode> node;
  EXPECT_EQ(S_OK, document_->QueryInterface(IID_IXMLDOMNode, node.AsVoidOut()));
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(S_OK, document_->QueryInterface(IID_IDispatch, dispatch.AsVoidOut()));
  ComPtr<IXMLDOMElement> element;
  EXPECT_EQ(E_NOINTERFACE, document_->QueryInterface(IID_IXMLDOMElement, element.AsVoidOut()));
  EXPECT_FALSE(element);
}

TEST_F(DomDocumentTest, WrappedManifestLoadsWithItsRootElement) {
  ASSERT_EQ(S_OK, Load(W("<?xml version=\"1.0\"?>\r\n<Overall>\r\n<Devices/><SkipList/>\r\n</Overall>\r\n")));
  ComPtr<IXMLDOMElement> root;
  ASSERT_EQ(S_OK, document_->get_documentElement(&root));
  BSTR name = nullptr;
  EXPECT_EQ(S_OK, root->get_tagName(&name));
  EXPECT_EQ(WString(W("Overall")), UniqueBstr::Adopt(name).ToString());
}

// loadXML takes a string that is already UTF-16: an encoding named in the
// declaration does not matter.
TEST_F(DomDocumentTest, DeclaredEncodingIsIgnored) {
  EXPECT_EQ(S_OK, Load(W("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u00e9</a>")));
  EXPECT_EQ(WString(W("\u00e9")), Text(Single(Root(), W("a")).Get()));
}

TEST_F(DomDocumentTest, TextThatIsNotWellFormedDoesNotLoad) {
  const WString cases[] = {
      W(""),
      W("plain text"),
      W("<a>"),
      W("<a></b>"),
      W("<a/><b/>"),
      W("<a x='1' x='2'/>"),
      W("<a>&undefined;</a>"),
      W("<a>AT&T</a>"),
      W("<a b=c/>"),
      W("<?xml version=\"1.0\"?>\r\n<Overall>\r\n<Devices>\r\n</Overall>\r\n"),
  };
  for (const WString& text : cases) {
    SCOPED_TRACE(wide::ToUtf8(text));
    EXPECT_EQ(S_FALSE, Load(text));
  }
}

TEST_F(DomDocumentTest, FailedLoadLeavesAnEmptyDocument) {
  ASSERT_EQ(S_OK, Load(W("<a><b/></a>")));
  ASSERT_EQ(1, Count(Root(), W("//b")));
  ASSERT_EQ(S_FALSE, Load(W("<a><b/>")));
  EXPECT_EQ(0, Count(Root(), W("//b")));
  ComPtr<IXMLDOMElement> root;
  EXPECT_EQ(S_FALSE, document_->get_documentElement(&root));
  EXPECT_FALSE(root);
}

}  // namespace
