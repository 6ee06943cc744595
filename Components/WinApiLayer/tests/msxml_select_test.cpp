#include "msxml_test_fixture.h"

#include <vector>

namespace {

const WCHAR kManifest[] =
    W("<Overall>"
      "  <Devices>"
      "    <Device VidPid='first'><HiddenFolder>A</HiddenFolder><Nested><HiddenFolder>X</HiddenFolder></Nested>"
      "      <HiddenFolder>B</HiddenFolder></Device>"
      "    <Device VidPid='second'/>"
      "  </Devices>"
      "  <Device VidPid='outside'/>"
      "  <Deep><Deeper><Devices><Device VidPid='deep'/></Devices></Deeper></Deep>"
      "  <SkipList><Vendor Id='0781' Name='Acme'><Product Id='7420'/></Vendor></SkipList>"
      "</Overall>");

class DomSelectTest : public DomDocumentTest {
 protected:
  void SetUp() override {
    DomDocumentTest::SetUp();
    ASSERT_EQ(S_OK, Load(kManifest));
  }

  // The node's value: its text for an attribute, null (S_FALSE) for an element.
  WString Value(IXMLDOMNode* node, HRESULT expected = S_OK) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    EXPECT_EQ(expected, node->get_nodeValue(&value));
    EXPECT_EQ(expected == S_OK ? VT_BSTR : VT_NULL, value.vt);
    WString text = value.vt == VT_BSTR ? WString(value.bstrVal, SysStringLen(value.bstrVal)) : WString();
    VariantClear(&value);
    return text;
  }

  // What `query` selects from `from`, each node as `attribute`'s value (its text when none), in order.
  std::vector<WString> Selected(IXMLDOMNode* from, const WString& query, const WCHAR* attribute = nullptr) {
    ComPtr<IXMLDOMNodeList> list;
    std::vector<WString> found;
    EXPECT_EQ(S_OK, from->selectNodes(TestBstr(query), &list));
    LONG length = 0;
    if (!list || list->get_length(&length) != S_OK) return found;
    for (LONG i = 0; i < length; ++i) {
      ComPtr<IXMLDOMNode> item;
      EXPECT_EQ(S_OK, list->get_item(i, &item));
      if (item) found.push_back(attribute ? Value(Single(item.Get(), attribute).Get()) : Text(item.Get()));
    }
    return found;
  }
};

TEST_F(DomSelectTest, PathsSelectInDocumentOrder) {
  EXPECT_EQ((std::vector<WString>{W("first"), W("second"), W("deep")}),
            Selected(Root(), W("//Devices/Device"), W("@VidPid")));
  ComPtr<IXMLDOMNode> device = Single(Root(), W("//Devices/Device"));
  ASSERT_TRUE(device);
  EXPECT_EQ((std::vector<WString>{W("A"), W("B")}), Selected(device.Get(), W("HiddenFolder")))
      << "a bare name selects the node's own children";
  EXPECT_EQ(WString(W("A")), Text(Single(Root(), W("//HiddenFolder")).Get())) << "a single node is the first match";
}

TEST_F(DomSelectTest, NothingThereIsSFalseAndNull) {
  ComPtr<IXMLDOMNodeList> list;
  ASSERT_EQ(S_OK, document_->selectNodes(TestBstr(W("//Devices/Device")), &list));
  for (LONG index : {-1L, 3L, 1000L}) {
    SCOPED_TRACE(index);
    IXMLDOMNode* item = reinterpret_cast<IXMLDOMNode*>(1);
    EXPECT_EQ(S_FALSE, list->get_item(index, &item));
    EXPECT_EQ(nullptr, item);
  }
  ComPtr<IXMLDOMNode> device = Single(Root(), W("//Devices/Device"));
  for (const WCHAR* missing : {W("SupportsFolders"), W("Nested/Missing"), W("@Missing")}) {
    SCOPED_TRACE(wide::ToUtf8(missing));
    IXMLDOMNode* found = reinterpret_cast<IXMLDOMNode*>(1);
    EXPECT_EQ(S_FALSE, device->selectSingleNode(TestBstr(missing), &found));
    EXPECT_EQ(nullptr, found);
  }
}

TEST_F(DomSelectTest, AnAttributeNodeCarriesItsValueAnElementNone) {
  ComPtr<IXMLDOMNode> vendor = Single(Root(), W("//SkipList/Vendor"));
  ASSERT_TRUE(vendor);
  ComPtr<IXMLDOMNode> id = Single(vendor.Get(), W("@Id"));
  ASSERT_TRUE(id);
  DOMNodeType type = NODE_INVALID;
  EXPECT_EQ(S_OK, id->get_nodeType(&type));
  EXPECT_EQ(NODE_ATTRIBUTE, type);
  EXPECT_EQ(WString(W("0781")), Value(id.Get()));
  ComPtr<IXMLDOMElement> element;
  EXPECT_EQ(E_NOINTERFACE, id->QueryInterface(IID_IXMLDOMElement, element.AsVoidOut())) << "not an element";
  Value(vendor.Get(), S_FALSE);
}

TEST_F(DomSelectTest, NodesAndListsOutliveTheDocumentObject) {
  ComPtr<IXMLDOMNodeList> list;
  ASSERT_EQ(S_OK, document_->selectNodes(TestBstr(W("//HiddenFolder")), &list));
  document_.Reset();
  ComPtr<IXMLDOMNode> last;
  ASSERT_EQ(S_OK, list->get_item(2, &last));
  EXPECT_EQ(WString(W("B")), Text(last.Get()));
}

}  // namespace
