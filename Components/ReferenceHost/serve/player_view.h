// What mdhost serve's page sees of the players, worked out on the host
// thread that owns the plug-in: the players with their properties and media,
// a folder's or playlist's items a page at a time with their tags as rows
// come into view, and the edits a person makes there. Each answer is JSON;
// each refusal a sentence in the words mdhost's commands use.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "host_support/device_roster.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "serve/api_answer.h"
#include "serve/event_hub.h"

class PlayerView {
 public:
  PlayerView(HostSession& session, EventHub& events);

  // Arrivals, removals and content changes the plug-in reported since the
  // last call, published to the page; a rescan once a burst has gone quiet.
  void Poll();

  ApiAnswer Players();
  // The query's location, path, offset, count and sort ("name", "size",
  // "kind", or a tag: "title", "artist", "album", "track", "seconds",
  // "bitrate"; "-" before it for descending).
  ApiAnswer List(const std::map<std::string, std::string>& query);
  ApiAnswer Tags(const nlohmann::json& body);
  ApiAnswer Existing(const nlohmann::json& body);

  ApiAnswer Rename(const nlohmann::json& body);
  ApiAnswer Delete(const nlohmann::json& body);
  ApiAnswer MakeFolder(const nlohmann::json& body);
  ApiAnswer MakePlaylist(const nlohmann::json& body);
  ApiAnswer Reorder(const nlohmann::json& body);
  ApiAnswer Wipe(const nlohmann::json& body);
  // Whether a file named `name` of `size` bytes (0 when not announced) is
  // taken for `location`, decided before a byte of it is received: the one
  // place that says which files a send from the page takes. 200 when it is;
  // otherwise the refusal, as Send would answer it.
  ApiAnswer AdmitSend(const std::string& location, const std::string& name, std::uint64_t size);
  // Sends the file at `file` (its name the one it gets on the player); the
  // page hears of it as send `id`.
  // Whether a file of this name goes to the medium as MP3 (the player does
  // not play its format); false for a medium no player lists.
  bool ConvertsOnSend(const std::string& location, const std::string& name);
  std::string Conversions(DWORD device);
  ApiAnswer Send(const std::string& location, const WString& target, const std::string& file, DWORD mode,
                 const std::string& id);

 private:
  struct Listing {
    WString location, path;
    std::vector<ItemReport> items;
    std::vector<bool> detailed;
    std::string sort;
  };

  struct EditInput {
    MediumName medium;
    WString path;
    std::string name;
  };
  // The location, the path field `pathName` and, when `nameName` is given, a
  // new name the medium takes; false with the refusal otherwise.
  bool ReadEdit(const nlohmann::json& body, const char* pathName, bool entryAllowed, const char* nameName,
                EditInput* input, ApiAnswer* refusal);
  struct NamesInput {
    MediumName medium;
    WString path;
    std::vector<std::string> names;
  };
  // The location, the path field `pathName` and the list of texts
  // `listName`; false with the refusal otherwise.
  bool ReadNames(const nlohmann::json& body, const char* pathName, const char* listName, NamesInput* input,
                 ApiAnswer* refusal);
  // A new folder or playlist through `slot`, in the body's parent.
  ApiAnswer Make(const nlohmann::json& body,
                 HRESULT (kiMusicDevicePlugin2004::*slot)(const WCHAR*, const WCHAR*, const WCHAR*, BSTR*));
  // The listed medium `text` names exactly; false with a 404 sentence.
  bool FindListed(const std::string& text, MediumName* medium, ApiAnswer* refusal);
  // The location field of `body`, found among the listed media.
  bool MediumField(const nlohmann::json& body, MediumName* medium, ApiAnswer* refusal);
  Listing* ListingOf(const WString& location, const WString& path, ApiAnswer* refusal);
  void Detail(Listing& listing, size_t index);
  void Sort(Listing& listing, const std::string& sort);
  ApiAnswer MoveEntry(const EditInput& in, const nlohmann::json& move);
  ApiAnswer Edited(HRESULT hr, const WString& location, const WString& path, const std::string& done);

  HostSession& session_;
  EventHub& events_;
  DeviceRoster roster_;
  size_t seen_ = 0;
  std::vector<Listing> listings_;  // the most recent few, newest last
  DWORD nextCookie_ = 1;
};

// One item as the page shows it; its tags when `detailed`.
nlohmann::json ItemJson(const ItemReport& item, bool detailed);
