// A folder's name index follows every change to its children: a lookup after
// an insert, a rename, a removal, a sort or a clear finds what a walk of the
// listing would find.
#include "child_list.h"

#include <gtest/gtest.h>

#include "model_types.h"

namespace wmdm_standin {
namespace {

std::shared_ptr<ModelObject> Named(const WCHAR* name) {
  auto object = std::make_shared<ModelObject>();
  object->name = name;
  return object;
}

TEST(ChildListTest, LookupsFollowEveryChange) {
  ChildList children;
  auto a = Named(W("a.mp3")), upperA = Named(W("A.mp3")), b = Named(W("b.mp3")), c = Named(W("Song.mp3"));
  children.Insert(0, b);
  children.Insert(0, a);
  children.Insert(9, c);  // past the end: appended
  struct Step {
    const char* what;
    std::function<void()> change;
    std::vector<std::pair<const WCHAR*, ModelObject*>> lookups;  // null: no match
  };
  const Step steps[] = {
      {"as inserted", [] {}, {{W("a.mp3"), a.get()}, {W("B.MP3"), b.get()}, {W("song.mp3"), c.get()}, {W("x"), nullptr}}},
      {"a name equal case aside beside one", [&] { children.Insert(1, upperA); },
       {{W("a.mp3"), a.get()}, {W("A.mp3"), upperA.get()}, {W("a.MP3"), nullptr}}},
      {"renamed",
       [&] {
         c->name = W("Tune.mp3");
         children.Renamed(*c, W("Song.mp3"));
       },
       {{W("Song.mp3"), nullptr}, {W("tune.MP3"), c.get()}}},
      {"removed", [&] { children.Remove(*upperA); }, {{W("A.mp3"), a.get()}, {W("a.MP3"), a.get()}}},
      {"sorted", [&] { children.Sort([](const auto& x, const auto& y) { return x->name > y->name; }); },
       {{W("b.mp3"), b.get()}, {W("Tune.mp3"), c.get()}}},
      {"cleared", [&] { children.Clear(); }, {{W("a.mp3"), nullptr}, {W("b.mp3"), nullptr}}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    for (const auto& [name, expected] : step.lookups) EXPECT_EQ(children.Named(name).get(), expected) << wide::ToUtf8(name);
  }
  EXPECT_TRUE(children.empty());
}

TEST(ChildListTest, KeepsTheListedOrder) {
  ChildList children;
  auto a = Named(W("a")), b = Named(W("b")), c = Named(W("c"));
  children.Insert(0, c);
  children.Insert(0, a);
  children.Insert(1, b);
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(children[0], a);
  EXPECT_EQ(children[1], b);
  EXPECT_EQ(children.PositionOf(*c), 2u);
  children.Remove(*b);
  EXPECT_EQ(children.PositionOf(*b), children.size());
  EXPECT_EQ(children[1], c);
}

}  // namespace
}  // namespace wmdm_standin
