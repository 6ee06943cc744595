// The tree walk: every item of a subtree, children before their folder, for
// the operations that must treat a folder's content first (delete, transfer).
#pragma once

#include <windows.h>

#include <wide_text.h>

#include "content/node_ref.h"

// Called once per item of the walk, the folder at the walk's top last. A
// failure ends the walk (the folder holding a failed item is not visited)
// and becomes its result. Runs under the plug-in lock.
using WalkVisit = HRESULT (*)(const WString& location, const NodeRef& node, void* context);

// ContentEditor::WalkTree(location, path, visit, context):
// - The folders of the subtree are listed through the plug-in's own item
//   listings, so they see exactly what the host sees: what a listing hides
//   is neither visited nor walked. Their answers are platform results, left
//   for the calling slot's door to map once.
// - Without a visit routine, the walk only marks folders as walked (their
//   children have nodes), and a folder marked so is not listed again.
// - The walk goes on only past a listing that ended with "no more items",
//   said twice in a row (a busy answer is asked again a few times). Any
//   other end (busy for good, another success code, the platform's user
//   cancel, a child without a location in the folder) stops the walk with a
//   failure; the folder is not marked walked, and nothing further is
//   visited.
// - IPP_E_NOTFOUND when `path` names no item.
