// PlayerView's answers about single items: tags for the rows in view, and
// which names a send would find already there.
#include <set>

#include "mdhost/refusal_words.h"
#include "serve/player_view.h"
#include "serve/request_input.h"

namespace {

constexpr size_t kMostNames = 1000;  // one request's rows or dropped files
constexpr LONG kPlaylistKind = 3;

// The texts of the array field `name`; false with the sentence otherwise.
bool TextList(const nlohmann::json& body, const char* name, std::vector<std::string>* values, std::string* error) {
  const auto found = body.find(name);
  if (found == body.end() || !found->is_array() || found->size() > kMostNames) {
    *error = std::string("The request needs \"") + name + "\" as a list of at most " + std::to_string(kMostNames) +
             " texts.";
    return false;
  }
  for (const auto& value : *found) {
    if (!value.is_string()) {
      *error = std::string("Every entry of \"") + name + "\" must be text.";
      return false;
    }
    values->push_back(value.get<std::string>());
  }
  return true;
}

std::string LowerAscii(const WString& text) {
  std::string lower = wide::ToUtf8(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace

bool PlayerView::ReadNames(const nlohmann::json& body, const char* pathName, const char* listName, NamesInput* input,
                           ApiAnswer* refusal) {
  std::string error;
  if (!MediumField(body, &input->medium, refusal)) return false;
  if (PathField(body, pathName, false, &input->path, &error) && TextList(body, listName, &input->names, &error))
    return true;
  *refusal = ApiAnswer::Refused(400, error);
  return false;
}

ApiAnswer PlayerView::Tags(const nlohmann::json& body) {
  NamesInput in;
  ApiAnswer refusal;
  if (!ReadNames(body, "path", "items", &in, &refusal)) return refusal;
  const MediumName& medium = in.medium;
  const WString& path = in.path;
  const std::vector<std::string>& wanted = in.names;
  Listing* listing = ListingOf(medium.location, path, &refusal);
  if (!listing) return refusal;
  const std::set<std::string> asked(wanted.begin(), wanted.end());
  nlohmann::json items = nlohmann::json::array();
  for (size_t i = 0; i < listing->items.size() && items.size() < asked.size(); ++i) {
    if (!asked.count(listing->items[i].location)) continue;
    Detail(*listing, i);
    items.push_back(ItemJson(listing->items[i], true));
  }
  return ApiAnswer::Ok({{"items", items}});
}

ApiAnswer PlayerView::Existing(const nlohmann::json& body) {
  NamesInput in;
  ApiAnswer refusal;
  if (!ReadNames(body, "target", "names", &in, &refusal)) return refusal;
  const MediumName& medium = in.medium;
  WString target = in.path;
  const std::vector<std::string>& names = in.names;
  // A track sent to a playlist goes into the medium's root.
  ItemReport item;
  if (!target.empty() && ReadItem(session_.Plugin(), medium.location, target, &item) == S_OK &&
      item.kind == kPlaylistKind)
    target.clear();
  std::vector<ItemReport> there;
  const HRESULT hr = ListItems(session_.Plugin(), medium.location, target, &there);
  if (FAILED(hr)) return ApiAnswer::Refused(404, "The player could not list the target: " + FailureWords(hr) + ".");
  std::set<std::string> present;
  for (const ItemReport& each : there) {
    const WString location = wide::FromUtf8(each.location);
    present.insert(LowerAscii(location.substr(location.rfind(W('\\')) + 1)));
  }
  nlohmann::json found = nlohmann::json::array();
  for (const std::string& name : names)
    if (present.count(LowerAscii(wide::FromUtf8(name)))) found.push_back(name);
  return ApiAnswer::Ok({{"existing", found}});
}
