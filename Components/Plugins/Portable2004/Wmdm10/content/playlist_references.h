// Reading and writing a playlist's WMDM reference list, and the names and
// paths its entries are told apart by.
#pragma once

#include <windows.h>

#include <vector>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

// The storage's name as the device gives it.
HRESULT ReadName(IWMDMStorage* storage, WString* name);

// A storage's device path, or nothing when it cannot be read in full.
WString PathOrNothing(IWMDMStorage* storage);

// The references of a playlist, each owned by the vector.
HRESULT ReadReferences(IWMDMStorage* playlist, std::vector<ComPtr<IWMDMStorage>>* references);

// Replaces the playlist's references with `references`, in order.
HRESULT WriteReferences(IWMDMStorage* playlist, const std::vector<ComPtr<IWMDMStorage>>& references);
