#include "msxml_test_fixture.h"

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

  WString VidPid(IXMLDOMNode* node) {
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(S_OK, Element(node)->getAttribute(TestBstr(W("VidPid")), &value));
    WString text = value.vt == VT_BSTR ? WString(value.bstrVal, SysStringLen(value.bstrVal)) : WString();
    VariantClear(&value);
    return text;
  }
};

TEST_F(DomSelectTest, DevicesPathFindsEveryDeviceInsideDevicesInDocumentOrder) {
  ComPtr<IXMLDOMNodeList> list;
  ASSERT_EQ(S_OK, document_->selectNodes(TestBstr(W("//Devices/Device")), &list));
  LONG length = 0;
  ASSERT_EQ(S_OK, list->get_length(&length));
  ASSERT_EQ(3, length);
  const WString expected[] = {W("first"), W("second"), W("deep")};
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> item;
    ASSERT_EQ(S_OK, list->get_item(i, &item));
    EXPECT_EQ(expected[i], VidPid(item.Get()));
  }
}

TEST_F(DomSelectTest, ItemOutsideTheListIsSFalseAndNull) {
  ComPtr<IXMLDOMNodeList> list;
  ASSERT_EQ(S_OK, document_->selectNodes(TestBstr(W("//Devices/Device")), &list));
  for (LONG index : {-1L, 3L, 1000L}) {
    SCOPED_TRACE(index);
    IXMLDOMNode* item = reinterpret_cast<IXMLDOMNode*>(1);
    EXPECT_EQ(S_FALSE, list->get_item(index, &item));
    EXPECT_EQ(nullptr, item);
  }
}

TEST_F(DomSelectTest, BareNameSelectsDirectChildrenOfTheNode) {
  ComPtr<IXMLDOMNode> device = Single(Root(), W("//Devices/Device"));
  ASSERT_TRUE(device);
  ComPtr<IXMLDOMNodeList> list;
  ASSERT_EQ(S_OK, device->selectNodes(TestBstr(W("HiddenFolder")), &list));
  LONG length = 0;
  ASSERT_EQ(S_OK, list->get_length(&length));
  ASSERT_EQ(2, length);
  for (LONG i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> item;
    ASSERT_EQ(S_OK, list->get_item(i, &item));
    EXPECT_EQ(WString(i == 0 ? W("A") : W("B")), Text(item.Get()));
  }
}

TEST_F(DomSelectTest, SingleNodeIsTheFirstMatchOrSFalseAndNull) {
  ComPtr<IXMLDOMNode> hidden = Single(Root(), W("//HiddenFolder"));
  ASSERT_TRUE(hidden);
  EXPECT_EQ(WString(W("A")), Text(hidden.Get()));

  ComPtr<IXMLDOMNode> device = Single(Root(), W("//Devices/Device"));
  for (const WCHAR* missing : {W("SupportsFolders"), W("Nested/Missing"), W("@Missing")}) {
    SCOPED_TRACE(wide::ToUtf8(missing));
    IXMLDOMNode* found = reinterpret_cast<IXMLDOMNode*>(1);
    EXPECT_EQ(S_FALSE, device->selectSingleNode(TestBstr(missing), &found));
    EXPECT_EQ(nullptr, found);
  }
}

TEST_F(DomSelectTest, AttributeNodeFromAtNameCarriesItsValue) {
  ComPtr<IXMLDOMNode> vendor = Single(Root(), W("//SkipList/Vendor"));
  ASSERT_TRUE(vendor);
  ComPtr<IXMLDOMNode> id = Single(vendor.Get(), W("@Id"));
  ASSERT_TRUE(id);
  DOMNodeType type = NODE_INVALID;
  EXPECT_EQ(S_OK, id->get_nodeType(&type));
  EXPECT_EQ(NODE_ATTRIBUTE, type);
  VARIANT value;
  VariantInit(&value);
  ASSERT_EQ(S_OK, id->get_nodeValue(&value));
  ASSERT_EQ(VT_BSTR, value.vt);
  EXPECT_EQ(WString(W("0781")), WString(value.bstrVal));
  VariantClear(&value);
  // An attribute is a node but not an element.
  ComPtr<IXMLDOMElement> element;
  EXPECT_EQ(E_NOINTERFACE, id->QueryInterface(IID_IXMLDOMElement, element.AsVoidOut()));
}

TEST_F(DomSelectTest, ElementHasNoNodeValue) {
  ComPtr<IXMLDOMNode> vendor = Single(Root(), W("//SkipList/Vendor"));
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  EXPECT_EQ(S_FALSE, vendor->get_nodeValue(&value));
  EXPECT_EQ(VT_NULL, value.vt);
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
