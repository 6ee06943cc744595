// The manifest as a parsed document. The host keeps it as the entry "WMDM" of
// category "Portable" in its settings store: element content without a root,
// which the readers wrap in the root element Overall before parsing.
#pragma once

#include <windows.h>

#include <functional>

#include <msxml_ids.h>
#include <wide_text.h>

#include "settings/settings_store_entries.h"

// The category and entry name the manifest is kept under.
extern const WCHAR kManifestCategory[];
extern const WCHAR kManifestEntry[];

// "<?xml version="1.0"?>", CR LF, "<Overall>", CR LF, the text, CR LF,
// "</Overall>", CR LF.
WString WrapManifestText(const WString& entryText);

// Parses a wrapped entry text with a fresh DOM document (asynchronous loading,
// validation and external resolution off). S_OK with the document, or a failure
// when the DOM cannot be created or the text is not well formed.
HRESULT ParseManifestText(const WString& entryText, IXMLDOMDocument** document);

// Loads the store's entries into `entries` and parses the manifest entry. S_OK
// with the document; S_FALSE and no document when the store has no manifest;
// a failure as ParseManifestText.
HRESULT LoadManifestDocument(SettingsStoreEntries& entries, IXMLDOMDocument** document);

// Calls `visit` with each node that `query` selects from `context`, in
// document order, passing over items that cannot be had. False when the
// selection itself fails.
bool ForEachSelectedNode(IXMLDOMNode* context, const WCHAR* query, const std::function<void(IXMLDOMNode*)>& visit);
