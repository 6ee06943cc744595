// Where a medium's content lives. The model keeps every medium's object tree
// (names, attributes, sizes, tags, playlist entries) and the COM objects read
// only that tree; the store behind a medium carries each edit out where the
// content really is before the model changes its tree, so that the two stay
// in step. Kept in memory, the content is the tree itself; kept in a folder,
// it is the folder's files.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include <wide_text.h>

#include "model_types.h"

namespace wmdm_standin {

struct NewObject;
class PlayerModel;

class ContentStore {
 public:
  virtual ~ContentStore() = default;

  virtual ULONGLONG TotalSize(const ModelMedium& medium) const = 0;
  virtual ULONGLONG FreeSpace(const ModelMedium& medium) const = 0;
  // S_OK while the content can be reached; otherwise why not (a card
  // pulled out), answered by every edit before anything else is checked, so
  // that a medium gone is never taken for a full one.
  virtual HRESULT CheckReachable() const { return S_OK; }
  // CheckReachable, then, when the content can be reached, the free space in
  // `room`: a store that learns both from one look overrides it. Unless
  // `fresh`, a store may answer from a look of a moment ago, less what it
  // wrote since (and then an edit on a medium gone since answers gone itself).
  virtual HRESULT CheckReachableWithRoom(const ModelMedium& medium, bool fresh, ULONGLONG* room) const {
    (void)fresh;
    const HRESULT reachable = CheckReachable();
    if (FAILED(reachable)) return reachable;
    *room = FreeSpace(medium);
    return S_OK;
  }
  // S_OK when the medium's file system takes `name` for a new or renamed object.
  virtual HRESULT CheckName(const WString& name) const = 0;

  // Each edit below is asked for under the model's lock, after the model has
  // checked it; a failure leaves the content as it was, and the model keeps
  // its tree unchanged.

  // Makes `object` (named, attributes and tags filled in) inside `parent`,
  // with the request's content; may correct the object's size, date, format
  // and tags to what was really stored. `replaced` is the file it takes the
  // place of, if any.
  virtual HRESULT Create(const ModelObject& parent, const NewObject& request, const ModelObject* replaced,
                         ModelObject* object) = 0;
  // The object and everything below it.
  virtual HRESULT Remove(const ModelObject& object) = 0;
  virtual HRESULT Rename(const ModelObject& object, const WString& newName) = 0;
  // Everything listed on the medium.
  virtual HRESULT Erase(const ModelMedium& medium) = 0;
  virtual HRESULT SaveReferences(const ModelObject& playlist, const std::vector<const ModelObject*>& entries) = 0;
  // `tags` is the object's whole set after the change.
  virtual HRESULT SaveTags(const ModelObject& object, const std::vector<ModelTag>& tags) = 0;
  // Fills in what a store reads only when it is first asked for (an
  // object marked `detailsPending`): tags and audio format.
  virtual void LoadDetails(ModelObject& object) = 0;
  // Fills in the audio format alone of an object marked `formatPending`;
  // every listed file is asked for it, so it must come without the tags.
  virtual void LoadFormat(ModelObject& object) = 0;
  // Brings the model's tree in step with changes others made to the content
  // (a file manager's copy, delete or rename). `listing`: the folder `object`
  // is about to be listed or searched by name; otherwise `object` is about
  // to answer a call, and the store checks its folder as often as it can
  // afford. Called without the model's lock; the store takes it for its
  // work. Content only the model changes has nothing to catch up.
  virtual void CatchUp(PlayerModel& model, const ModelObject& object, bool listing) {
    (void)model;
    (void)object;
    (void)listing;
  }
  // The same before the folder is searched for one name: a store may look at
  // that name alone, so that a lookup costs the same in a folder of any size.
  virtual void CatchUpName(PlayerModel& model, const ModelObject& folder, const WString& name) {
    (void)name;
    CatchUp(model, folder, true);
  }
};

// The content held in the model's own tree: today's players, described in
// code or JSON, with a fixed total size.
std::shared_ptr<ContentStore> MakeMemoryStore();

}  // namespace wmdm_standin
