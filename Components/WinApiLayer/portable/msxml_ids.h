// The DOM document's class id and the DOM interfaces' ids for ComPtr::As, on
// both lanes. The class id carries a name of our own because mingw's msxml2.h
// renames CLSID_DOMDocument by macro and its libuuid defines neither name.
#pragma once

#include "com_iid.h"

#include <msxml2.h>

DEFINE_PORTABLE_GUID(CLSID_XmlDomDocument, 0x2933BF90, 0x7B36, 0x11D2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E,
                     0x60)

DECLARE_INTERFACE_ID(IXMLDOMNode, IID_IXMLDOMNode)
DECLARE_INTERFACE_ID(IXMLDOMDocument, IID_IXMLDOMDocument)
DECLARE_INTERFACE_ID(IXMLDOMNodeList, IID_IXMLDOMNodeList)
DECLARE_INTERFACE_ID(IXMLDOMElement, IID_IXMLDOMElement)
