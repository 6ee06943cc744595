#include "msxml_test_fixture.h"

namespace {

struct TextCase {
  int line;
  WString xml;
  WString text;  // of the element <a>
};

class DomTextTest : public DomDocumentTest {
 protected:
  void ExpectTexts(const std::vector<TextCase>& cases) {
    for (const TextCase& item : cases) {
      SCOPED_TRACE(testing::Message() << "row at line " << item.line);
      ASSERT_EQ(S_OK, Load(item.xml));
      ComPtr<IXMLDOMNode> a = Single(Root(), W("/a"));
      ASSERT_TRUE(a);
      EXPECT_EQ(item.text, Text(a.Get()));
    }
  }

  // getAttribute's answer and the string it gave (empty unless VT_BSTR).
  HRESULT Attribute(const WString& name, VARTYPE* type, WString* value) {
    ComPtr<IXMLDOMNode> a = Single(Root(), W("/a"));
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_I4;
    const HRESULT hr = Element(a.Get())->getAttribute(TestBstr(name), &result);
    *type = result.vt;
    *value = result.vt == VT_BSTR ? WString(result.bstrVal, SysStringLen(result.bstrVal)) : WString();
    VariantClear(&result);
    return hr;
  }
};

TEST_F(DomTextTest, ElementTextJoinsDescendantsAndTrimsTheEnds) {
  ExpectTexts({
      {__LINE__, W("<a>7</a>"), W("7")},
      {__LINE__, W("<a> 7</a>"), W("7")},
      {__LINE__, W("<a>\r\n\t 7 \r\n</a>"), W("7")},
      {__LINE__, W("<a>in  between\tkept</a>"), W("in  between\tkept")},
      {__LINE__, W("<a></a>"), W("")},
      {__LINE__, W("<a/>"), W("")},
      {__LINE__, W("<a>   </a>"), W("")},
      {__LINE__, W("<a>x<b>y<c>z</c></b>w</a>"), W("xyzw")},
      {__LINE__, W("<a>x<!-- note -->y<?pi data?>z</a>"), W("xyz")},
      // CDATA is taken as written; a text of blanks only between elements
      // stands for one blank.
      {__LINE__, W("<a><![CDATA[ <c> ]]></a>"), W(" <c> ")},
      {__LINE__, W("<a> <![CDATA[ y ]]></a>"), W(" y ")},
      {__LINE__, W("<a> x <![CDATA[ y ]]> z </a>"), W("x  y  z")},
      {__LINE__, W("<a><b> x </b>  <c> y </c></a>"), W("x   y")},
      {__LINE__, W("<a>  x  <b> y </b>  z  </a>"), W("x   y   z")},
  });
}

TEST_F(DomTextTest, EntitiesAndCharacterReferencesAreResolved) {
  ExpectTexts({
      {__LINE__, W("<a>&amp;&lt;&gt;&quot;&apos;</a>"), W("&<>\"'")},
      {__LINE__, W("<a>vid_0781&amp;pid_7420</a>"), W("vid_0781&pid_7420")},
      {__LINE__, W("<a>&#65;&#x42;&#x63;</a>"), W("ABc")},
      {__LINE__, W("<a>&#xE9;t\u00e9</a>"), W("\u00e9t\u00e9")},
      {__LINE__, W("<a>&#x1F600;</a>"), W("\xD83D\xDE00")},
      {__LINE__, W("<!DOCTYPE a [<!ENTITY e \"val\">]><a>&e;</a>"), W("val")},
  });
}

// References in a value are resolved; names match by case; a missing
// attribute is S_FALSE and null, an empty one an empty text.
TEST_F(DomTextTest, AttributesAnswerTheirValueOrSFalseAndNull) {
  ASSERT_EQ(S_OK, Load(W("<a VidPid='Vid_0781&amp;Pid_7420' Pct='%26' Num='&#x41;' Empty=''/>")));
  const struct {
    WString name;
    HRESULT hr;
    VARTYPE type;
    WString value;
  } cases[] = {{W("VidPid"), S_OK, VT_BSTR, W("Vid_0781&Pid_7420")}, {W("Pct"), S_OK, VT_BSTR, W("%26")},
               {W("Num"), S_OK, VT_BSTR, W("A")},  {W("Empty"), S_OK, VT_BSTR, W("")},
               {W("Missing"), S_FALSE, VT_NULL, W("")}, {W("vidpid"), S_FALSE, VT_NULL, W("")},
               {W("VIDPID"), S_FALSE, VT_NULL, W("")}};
  for (const auto& item : cases) {
    SCOPED_TRACE(wide::ToUtf8(item.name));
    VARTYPE type = VT_EMPTY;
    WString value = W("not empty");
    EXPECT_EQ(item.hr, Attribute(item.name, &type, &value));
    EXPECT_EQ(item.type, type);
    EXPECT_EQ(item.value, value);
  }
}

}  // namespace
