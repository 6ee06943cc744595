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
//   listing slots, so they see exactly what the host sees: what a listing
//   hides is neither visited nor walked.
// - Without a visit routine, the walk only marks folders as walked (their
//   children have nodes), and a folder marked so is not listed again.
// - IPP_E_NOTFOUND when `path` names no item; a failed listing ends the walk,
//   marks the folder as walked and is the result.
