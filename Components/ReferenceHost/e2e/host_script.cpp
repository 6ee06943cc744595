#include "e2e/host_script.h"

#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <sstream>
#include <thread>

#include <com_ptr.h>
#include <com_support.h>
#include <ipp_result_codes.h>
#include <kc_ipp_item.h>
#include <ki_settings_store.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

#include "e2e/media_taken_out.h"
#include "host_support/class_object_registration.h"
#include "host_support/host_item.h"
#include "host_support/host_item_id_list.h"
#include "host_support/manifest_file.h"
#include "host_support/plugin_module.h"
#include "host_support/settings_store.h"
#include "host_support/source_file.h"
#include "host_support/standin_players.h"
#include "host_support/track_tags.h"

namespace {

// What a host reads of every device and every medium.
const WCHAR* const kDeviceFlags[] = {
    W("DevCanBeCopySource"), W("DevIsRenamable"), W("DevSupportsPlaylists"),
    W("DeviceSupportsMetadataFieldAlbum"), W("DeviceSupportsMetadataFieldArtist"),
    W("DeviceSupportsMetadataFieldBitrate"), W("DeviceSupportsMetadataFieldFileSize"),
    W("DeviceSupportsMetadataFieldGenre"), W("DeviceSupportsMetadataFieldTrackName"),
    W("DeviceSupportsMetadataFieldRanking")};
const WCHAR* const kDeviceNumbers[] = {W("DevMediaCount")};
const WCHAR* const kDeviceTexts[] = {W("DevDisplayName"), W("DevVendorName"), W("DevProductName"),
                                     W("DevFirmwareRevision"), W("DevUniqueID"), W("DeviceDriveLetter"),
                                     W("DeviceSupportedFileFormats")};
const WCHAR* const kMediaFlags[] = {
    W("MediaDownloadableForSDMI"), W("MediaCanBeCopySource"), W("MediaCanBeDirectlyPlayed"),
    W("MediaIsReadOnly"), W("MediaIsRenamable"), W("MediaSupportsFolderInFolder"),
    W("MediaSupportsFoldersInRoot"), W("MediaSupportsFormat"), W("MediaSupportsMediaRebuild"),
    W("MediaSupportsPlaylistReordering"), W("MediaSupportsPlaylists"), W("DevSupportsMediaErase")};
const WCHAR* const kMediaNumbers[] = {W("MediaSpaceTotalHi"), W("MediaSpaceTotalLo"), W("MediaSpaceUsedHi"),
                                      W("MediaSpaceUsedLo"), W("MediaSpaceFreeHi"), W("MediaSpaceFreeLo")};
const WCHAR* const kMediaTexts[] = {W("MediaDisplayName")};

// The slots that log their name on entry, and the name they log.
const std::pair<int, const char*> kLoggingSlots[] = {
    {8, "FindFirstDevice"},      {9, "FindNextDevice"},          {10, "FindDeviceClose"},
    {11, "ReScanDevices"},       {12, "GetDevicePropertyBool"},  {13, "GetDevicePropertyLong"},
    {14, "GetDevicePropertyString"}, {15, "GetDevicePropertyIcon"}, {19, "GetSupportedBitrates"},
    {24, "CreatePlaylist"},      {25, "UpdatePlaylist"},         {26, "CreateFolder"},
    {27, "DownloadFile"},        {29, "DeleteItem"},             {30, "FindFirstMedia"},
    {31, "FindNextMedia"},       {32, "FindMediaClose"},         {33, "Erase"},
    {34, "Format"},              {36, "GetMediaPropertyBool"},   {37, "GetMediaPropertyLong"},
    {38, "GetMediaPropertyString"}, {42, "FindFirstItem"},       {43, "FindNextItem"},
    {44, "FindItemClose"},       {45, "GetItemInformation"}};

const int kUnimplementedSlots[] = {16, 17, 18, 20, 28, 35, 39, 40, 41, 46, 47, 48};

constexpr DWORD kSdkVersion = 0x07D40004;
constexpr DWORD kOutcomeSent = 4;
constexpr DWORD kOutcomeReplaced = 1;

const WCHAR* const kAurora = W("Aurora Audio Aurora MX-20");
// A folder of twenty tracks and, last, a file the host is never shown; all
// empty, so that the medium's free space stays as described.
const WCHAR* const kNotes = W("\\Notes");
constexpr int kNotesTracks = 20;

void AddNotes(wmdm_standin::PlayerModel& players) {
  const wmdm_standin::ObjectId aurora = players.FindDevice(W("Aurora MX-20"));
  const wmdm_standin::ObjectId memory = aurora ? players.Find(aurora, W("Internal Memory")) : 0;
  if (!memory) return;
  const wmdm_standin::ObjectId notes = players.AddFolder(memory, W("Notes"));
  for (int i = 0; i < kNotesTracks; ++i) {
    wmdm_standin::FileDescription track;
    track.name = W("Note ") + wide::FromUtf8(std::to_string(10 + i)) + W(".mp3");
    track.attributes = wmdm_standin::DefaultFileAttributes(track.name);
    players.AddFile(notes, track);
  }
  wmdm_standin::FileDescription hidden;
  hidden.name = W("zz cover.jpg");
  hidden.attributes = wmdm_standin::DefaultFileAttributes(hidden.name) | WMDM_FILE_ATTR_HIDDEN;
  players.AddFile(notes, hidden);
}
const WCHAR* const kSentFolder = W("\\Music\\Sent");
const WCHAR* const kSolarWind = W("\\Music\\Northern Lights\\Aurora Borealis\\02 Solar Wind.mp3");
const WCHAR* const kPolarNight = W("\\Music\\Northern Lights\\Aurora Borealis\\01 Polar Night.mp3");

// An answer the host's interface defines: success, the end of a list, busy,
// or one of the host's failure codes. Anything else is a platform result
// that slipped past the mapping.
bool IsHostAnswer(HRESULT hr) {
  const ULONG code = static_cast<ULONG>(hr);
  return hr == S_OK || hr == S_FALSE || hr == IPP_S_BUSY || (code >= 0x80040010u && code <= 0x8004001Cu);
}

std::string HexOf(HRESULT hr) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << static_cast<ULONG>(hr);
  return text.str();
}

std::string Utf8(const WString& text) { return wide::ToUtf8(text); }

WString Take(BSTR text) {
  return UniqueBstr::Adopt(text).ToString();
}

}  // namespace

// The host's callback, able to pretend it never heard some reports.
class HostScript::Callback final : public HostCallback {
 public:
  explicit Callback(std::set<HostEvent::Kind> missed) : missed_(std::move(missed)) {}

  HRESULT DeviceRemoved(kiMusicDevicePlugin2004* plugin, DWORD number) override {
    return Missed(HostEvent::kDeviceRemoved) ? S_OK : HostCallback::DeviceRemoved(plugin, number);
  }
  HRESULT DeviceArrived(kiMusicDevicePlugin2004* plugin, DWORD number) override {
    return Missed(HostEvent::kDeviceArrived) ? S_OK : HostCallback::DeviceArrived(plugin, number);
  }
  HRESULT OperationEnded(DWORD cookie, DWORD reserved) override {
    return Missed(HostEvent::kOperationEnded) ? S_OK : HostCallback::OperationEnded(cookie, reserved);
  }
  HRESULT ContentRemoved(kiMusicDevicePlugin2004* plugin, DWORD number, const WCHAR* location, SAFEARRAY** paths,
                         SAFEARRAY** kinds) override {
    return Missed(HostEvent::kContentRemoved) ? S_OK
                                              : HostCallback::ContentRemoved(plugin, number, location, paths, kinds);
  }
  HRESULT ContentAdded(kiMusicDevicePlugin2004* plugin, DWORD number, const WCHAR* location, SAFEARRAY** paths,
                       SAFEARRAY** kinds, kiIPPItem* item) override {
    return Missed(HostEvent::kContentAdded)
               ? S_OK
               : HostCallback::ContentAdded(plugin, number, location, paths, kinds, item);
  }
  HRESULT PlaylistChanged(kiMusicDevicePlugin2004* plugin, DWORD number, const WCHAR* location, SAFEARRAY** paths,
                          SAFEARRAY** kinds, SAFEARRAY** entries, kiIPPItem* playlist) override {
    return Missed(HostEvent::kPlaylistChanged)
               ? S_OK
               : HostCallback::PlaylistChanged(plugin, number, location, paths, kinds, entries, playlist);
  }

 private:
  bool Missed(HostEvent::Kind kind) const { return missed_.count(kind) != 0; }
  std::set<HostEvent::Kind> missed_;
};

// What the host sets up around the module; torn down in reverse order.
struct HostScript::Host {
  bool com = false;
  std::unique_ptr<ClassObjectRegistration> settings;
  std::unique_ptr<StandInPlayers> players;
  PluginModule module;

  ~Host() {
    players.reset();
    settings.reset();
    if (com) CoUninitialize();
  }
};

HostScript::HostScript(ScriptOptions options)
    : options_(std::move(options)), callback_(std::make_unique<Callback>(options_.missed)) {}

HostScript::~HostScript() {
  // A session stopped half way still leaves nothing running.
  if (plugin_ && started_) plugin_->Shutdown();
  host_.reset();
}

const std::vector<HostScript::Step>& HostScript::Table() {
  using N = Needs;
  static const std::vector<Step> steps = {
      {"load the module", &HostScript::LoadModule, N::Nothing},
      {"ask before starting", &HostScript::AskBeforeStart, N::Nothing},
      {"start", &HostScript::Start, N::Nothing},
      {"list devices", &HostScript::ListDevices, N::Nothing},
      {"read device properties", &HostScript::ReadDeviceProperties, N::BothMedia},
      {"list media and read their properties", &HostScript::ReadMediaProperties, N::Nothing},
      {"fixed and unimplemented slots", &HostScript::AnswerFixedSlots, N::Nothing},
      {"browse", &HostScript::Browse, N::Memory},
      {"make a folder", &HostScript::MakeFolder, N::Memory},
      {"send a track", &HostScript::SendTrack, N::Memory},
      {"send it again", &HostScript::SendAgain, N::Memory},
      {"send onto a playlist", &HostScript::SendOntoPlaylist, N::Memory},
      {"make a playlist", &HostScript::MakePlaylist, N::Memory},
      {"reorder the playlist", &HostScript::ReorderPlaylist, N::Memory},
      {"rename", &HostScript::Rename, N::Memory},
      {"delete", &HostScript::Delete, N::Memory},
      {"a player comes and goes", &HostScript::Hotplug, N::Nothing},
      {"erase the card", &HostScript::EraseCard, N::Card},
      {"format the memory", &HostScript::FormatMemory, N::Memory},
      {"stop", &HostScript::Stop, N::Nothing},
  };
  return steps;
}

std::vector<std::string> HostScript::StepNames() {
  std::vector<std::string> names;
  for (const Step& step : Table()) names.push_back(step.name);
  return names;
}

bool HostScript::Run() {
  steps_.clear();
  answers_.clear();
  steps_.reserve(Table().size());
  for (const Step& step : Table()) {
    steps_.push_back(StepReport{step.name});
    current_ = &steps_.back();
    // Once the session is broken only the stop step runs: it still has to
    // leave nothing behind.
    const bool last = &step == &Table().back();
    if (stopped_ && !last) continue;
    if (TakenOut(step.needs)) {
      current_->mediumOut = true;
      continue;
    }
    RunStep(step);
  }
  current_ = nullptr;
  return Problems().empty();
}

void HostScript::RunStep(const Step& step) {
  wmdm_standin::PlayerModel* players = host_ && host_->players ? &host_->players->Model() : nullptr;
  if (options_.beforeStep && players) options_.beforeStep(step.name, *players);
  if (players) invariants_.Before(*players);
  const PresentMedia media = players ? MediaPresent(*players) : PresentMedia();
  const size_t firstAnswer = answers_.size();
  current_->ran = true;
  (this->*step.run)();
  players = host_ && host_->players ? &host_->players->Model() : nullptr;
  if (options_.afterStep && players) options_.afterStep(step.name, *players);
  // A medium taken out half way is a legitimate end of what the step
  // expected; what must hold whatever the platform did is checked below.
  if (players && step.run != &HostScript::Stop && !TakenOutSince(media, *players).empty()) {
    current_->problems.clear();
    current_->mediumOut = true;
  }
  CheckInvariants(firstAnswer);
}

bool HostScript::TakenOut(const WCHAR* name) {
  return host_ && host_->players && IsTakenOut(host_->players->Model(), W("Aurora MX-20"), name);
}

bool HostScript::TakenOut(Needs needs) {
  const bool memory = (needs == Needs::Memory || needs == Needs::BothMedia) && TakenOut(W("Internal Memory"));
  const bool card = (needs == Needs::Card || needs == Needs::BothMedia) && TakenOut(W("Storage Card"));
  return memory || card;
}

void HostScript::CheckInvariants(size_t firstAnswer) {
  const std::vector<SlotAnswer> answers(answers_.begin() + static_cast<std::ptrdiff_t>(firstAnswer), answers_.end());
  if (host_ && host_->players) {
    for (std::string& problem : invariants_.After(host_->players->Model(), answers)) Check(false, problem);
  } else {
    for (const SlotAnswer& answer : answers)
      Check(SessionInvariants::IsDocumentedAnswer(answer.answer, answer.slot),
            "invariant: slot " + std::to_string(answer.slot) + " answered " + HexOf(answer.answer));
  }
  if (plugin_ && started_) Check(LockIsFree(), "invariant: the plug-in lock is held after the step");
}

std::vector<std::string> HostScript::Problems() const {
  std::vector<std::string> all;
  for (const StepReport& step : steps_)
    for (const std::string& problem : step.problems) all.push_back(step.name + ": " + problem);
  return all;
}

std::set<int> HostScript::SlotsDriven() const {
  std::set<int> slots;
  for (const SlotAnswer& answer : answers_) slots.insert(answer.slot);
  return slots;
}

HRESULT HostScript::Call(int slot, const std::function<HRESULT()>& call) {
  const size_t index = answers_.size();
  wmdm_standin::PlayerModel* players = host_ && host_->players ? &host_->players->Model() : nullptr;
  if (options_.beforeCall && players) options_.beforeCall(index, slot, *players);
  const HRESULT answer = call();
  answers_.push_back({current_ ? current_->name : std::string(), slot, answer});
  if (options_.afterCall && players) options_.afterCall(index, slot, answer, *players);
  return answer;
}

bool HostScript::Expect(int slot, const std::function<HRESULT()>& call, HRESULT expected, const std::string& what) {
  const HRESULT answer = Call(slot, call);
  return Check(answer == expected, what + " answered " + HexOf(answer) + ", not " + HexOf(expected));
}

bool HostScript::Check(bool holds, const std::string& problem) {
  if (!holds && current_) current_->problems.push_back(problem);
  return holds;
}

std::vector<HostEvent> HostScript::Events(HostEvent::Kind kind) const {
  std::vector<HostEvent> found;
  for (const HostEvent& event : callback_->Events())
    if (event.kind == kind) found.push_back(event);
  return found;
}

// ---- the steps ----

void HostScript::LoadModule() {
  host_ = std::make_unique<Host>();
  host_->com = SUCCEEDED(CoInitialize(nullptr));
  const std::string manifestPath = Utf8(ProgramDirectory()) + "samples/manifest.xml";
  WString manifest;
  std::string error;
  ComPtr<IUnknown> store;
  if (Check(ReadManifestFile(manifestPath, &manifest, &error), "cannot read the manifest: " + error) &&
      Check(SUCCEEDED(HostSettingsStore::CreateForManifest(manifest, &store)), "no settings store")) {
    host_->settings = std::make_unique<ClassObjectRegistration>(CLSID_kcSettingsStore, store.Get());
    Check(SUCCEEDED(host_->settings->Result()), "cannot register the settings store");
  }
  host_->players = std::make_unique<StandInPlayers>();
  if (!Check(host_->players->Open("", &error), "no stand-in players: " + error) ||
      !Check(host_->module.Load(DefaultPluginPath()), host_->module.Error())) {
    stopped_ = true;
    return;
  }
  AddNotes(host_->players->Model());
  Check(host_->module.GetIPPSDKVersion(0, 0) == kSdkVersion, "GetIPPSDKVersion is not 0x07D40004");
  plugin_ = host_->module.GetIMDP2004();
  if (!Check(plugin_ != nullptr, "GetIMDP2004 gave no plug-in")) stopped_ = true;
}

void HostScript::AskBeforeStart() {
  kcIPPEnvironmentCheckResults results;
  Expect(2, [&] { return plugin_->CheckEnvironment(&results); }, S_OK, "CheckEnvironment");
  Check(results.status_ == 0, "CheckEnvironment left the status at " + std::to_string(results.status_));
  Expect(2, [&] { return plugin_->CheckEnvironment(nullptr); }, IPP_E_FAIL, "CheckEnvironment without a result object");

  DWORD ms = 0xDEADBEEF, ls = 0xDEADBEEF;
  Expect(3, [&] { return plugin_->GetPluginVersion(&ms, &ls); }, S_OK, "GetPluginVersion");
  Check(ms != 0xDEADBEEF && ls != 0xDEADBEEF, "GetPluginVersion wrote no version");
  Expect(3, [&] { return plugin_->GetPluginVersion(&ms, nullptr); }, IPP_E_FAIL, "GetPluginVersion with a null out");

  WString name;
  Call(4, [&] {
    name = Take(plugin_->GetPluginName());
    return S_OK;
  });
  Check(name == W("WMDM10 Plugin"), "GetPluginName gave \"" + Utf8(name) + "\"");
}

void HostScript::Start() {
  // Initialize keeps what it made even when it fails part way: the host
  // shuts down whatever it initialised.
  started_ = true;
  if (!Expect(0, [&] { return plugin_->Initialize(W(""), W("")); }, S_OK, "Initialize")) {
    stopped_ = true;
    return;
  }
  Expect(5, [&] { return plugin_->SetHostCallback(callback_.get()); }, S_OK, "SetHostCallback");
  Expect(6, [&] { return plugin_->SetHostContext(0x1234); }, S_OK, "SetHostContext");
}

std::vector<DWORD> HostScript::DeviceNumbers() {
  std::vector<DWORD> numbers;
  DWORD number = 0;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = Call(8, [&] { return plugin_->FindFirstDevice(&number, &find); });
  Check(IsHostAnswer(hr), "FindFirstDevice answered " + HexOf(hr));
  while (hr == S_OK) {
    numbers.push_back(number);
    hr = Call(9, [&] { return plugin_->FindNextDevice(find, &number); });
    if (!Check(numbers.size() < 64, "FindNextDevice never ends")) break;
  }
  Check(hr == S_FALSE, "the device list ended with " + HexOf(hr) + ", not S_FALSE");
  if (find) Expect(10, [&] { return plugin_->FindDeviceClose(find); }, S_OK, "FindDeviceClose");
  return numbers;
}

void HostScript::ListDevices() {
  const std::vector<DWORD> numbers = DeviceNumbers();
  Check(numbers.size() == host_->players->Model().PresentDevices().size(),
        std::to_string(numbers.size()) + " devices listed, " +
            std::to_string(host_->players->Model().PresentDevices().size()) + " players attached");
  for (DWORD number : numbers) {
    UniqueBstr name;
    if (Call(14, [&] { return plugin_->GetDevicePropertyString(number, W("DevDisplayName"), name.Put()); }) == S_OK &&
        name.ToString() == kAurora)
      aurora_ = number;
  }
  if (!Check(aurora_ != 0, "no Aurora MX-20 among the devices")) stopped_ = true;

  Expect(11, [&] { return plugin_->ReScanDevices(); }, S_OK, "ReScanDevices");
  Check(DeviceNumbers() == numbers, "the devices changed across ReScanDevices");
  IPPFINDHANDLE find = nullptr;
  Expect(8, [&] { return plugin_->FindFirstDevice(nullptr, &find); }, IPP_E_FAIL, "FindFirstDevice with a null out");
}

void HostScript::ReadDeviceProperties() {
  for (DWORD number : DeviceNumbers()) {
    const std::string device = "device " + std::to_string(number) + " ";
    for (const WCHAR* name : kDeviceFlags) {
      BOOL value = 2;
      const HRESULT hr = Call(12, [&] { return plugin_->GetDevicePropertyBool(number, name, &value); });
      Check(IsHostAnswer(hr), device + Utf8(name) + " answered " + HexOf(hr));
      if (hr == S_OK) Check(value == TRUE || value == FALSE, device + Utf8(name) + " is no flag");
    }
    Expect(13, [&] { return plugin_->GetDevicePropertyLong(number, W("DevMediaCount"), nullptr); }, IPP_E_FAIL,
           device + "a number with a null out");
    for (const WCHAR* name : kDeviceNumbers) {
      LONG value = -1;
      const HRESULT hr = Call(13, [&] { return plugin_->GetDevicePropertyLong(number, name, &value); });
      Check(IsHostAnswer(hr), device + Utf8(name) + " answered " + HexOf(hr));
    }
    for (const WCHAR* name : kDeviceTexts) {
      UniqueBstr value;
      const HRESULT hr = Call(14, [&] { return plugin_->GetDevicePropertyString(number, name, value.Put()); });
      Check(IsHostAnswer(hr), device + Utf8(name) + " answered " + HexOf(hr));
      if (hr == S_OK) Check(value.Get() != nullptr, device + Utf8(name) + " succeeded with no text");
    }
    ULONG icon = 0;
    Check(IsHostAnswer(Call(15, [&] { return plugin_->GetDevicePropertyIcon(number, 0, &icon); })), device + "icon");
    BOOL flag = FALSE;
    LONG value = 0;
    UniqueBstr text;
    Expect(12, [&] { return plugin_->GetDevicePropertyBool(number, W("NoSuchProperty"), &flag); }, IPP_E_UNKNOWNPROPERTY,
           device + "an unknown flag");
    Expect(13, [&] { return plugin_->GetDevicePropertyLong(number, W("NoSuchProperty"), &value); }, IPP_E_UNKNOWNPROPERTY,
           device + "an unknown number");
    Expect(14, [&] { return plugin_->GetDevicePropertyString(number, W("NoSuchProperty"), text.Put()); }, IPP_E_UNKNOWNPROPERTY,
           device + "an unknown text");
  }

  // What the Aurora MX-20 of the sample is.
  LONG media = 0;
  Expect(13, [&] { return plugin_->GetDevicePropertyLong(aurora_, W("DevMediaCount"), &media); }, S_OK, "DevMediaCount");
  Check(media == 2, "the Aurora has " + std::to_string(media) + " media, not 2");
  UniqueBstr formats;
  Expect(14, [&] { return plugin_->GetDevicePropertyString(aurora_, W("DeviceSupportedFileFormats"), formats.Put()); }, S_OK,
         "DeviceSupportedFileFormats");
  Check(formats.ToString() == W(".mp3;.wma;.wav"), "the Aurora's formats are " + Utf8(formats.ToString()));

  UniqueSafeArray rates;
  BOOL everyRate = 2;
  if (Expect(19, [&] { return plugin_->GetSupportedBitrates(aurora_, W("mp3"), rates.Put(), &everyRate); }, S_OK,
             "GetSupportedBitrates mp3")) {
    std::vector<LONG> got;
    ScopedSafeArrayAccess<LONG> data(rates.Get());
    for (LONG i = 0; data && i < rates.Count(); ++i) got.push_back(data.Data()[i]);
    Check(got == std::vector<LONG>({128000, 192000}), "the Aurora's MP3 rates are not 128000, 192000");
    // The last wave format (PCM) is no MP3 one, so the MIME type audio/mpeg
    // says every rate is taken as well.
    Check(everyRate == TRUE, "the Aurora does not take every MP3 rate");
  }
  Expect(19, [&] { return plugin_->GetSupportedBitrates(aurora_, W("ogg"), rates.Put(), &everyRate); }, IPP_E_FAIL,
         "GetSupportedBitrates ogg");
}

std::vector<WString> HostScript::MediaOf(DWORD device) {
  std::vector<WString> media;
  UniqueBstr location;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = Call(30, [&] { return plugin_->FindFirstMedia(device, location.Put(), &find); });
  Check(IsHostAnswer(hr), "FindFirstMedia answered " + HexOf(hr));
  while (hr == S_OK) {
    media.push_back(location.ToString());
    hr = Call(31, [&] { return plugin_->FindNextMedia(find, location.Put()); });
    if (!Check(media.size() < 64, "FindNextMedia never ends")) break;
  }
  Check(hr == S_FALSE, "the media list ended with " + HexOf(hr) + ", not S_FALSE");
  if (find) Expect(32, [&] { return plugin_->FindMediaClose(find); }, S_OK, "FindMediaClose");
  return media;
}

void HostScript::ReadMediaProperties() {
  for (DWORD number : DeviceNumbers()) {
    for (const WString& location : MediaOf(number)) {
      const std::string medium = Utf8(location) + " ";
      for (const WCHAR* name : kMediaFlags) {
        BOOL value = 2;
        const HRESULT hr = Call(36, [&] { return plugin_->GetMediaPropertyBool(location.c_str(), name, &value); });
        Check(IsHostAnswer(hr), medium + Utf8(name) + " answered " + HexOf(hr));
      }
      for (const WCHAR* name : kMediaNumbers) {
        LONG value = 0;
        const HRESULT hr = Call(37, [&] { return plugin_->GetMediaPropertyLong(location.c_str(), name, &value); });
        Check(IsHostAnswer(hr), medium + Utf8(name) + " answered " + HexOf(hr));
      }
      for (const WCHAR* name : kMediaTexts) {
        UniqueBstr value;
        const HRESULT hr = Call(38, [&] { return plugin_->GetMediaPropertyString(location.c_str(), name, value.Put()); });
        Check(IsHostAnswer(hr), medium + Utf8(name) + " answered " + HexOf(hr));
        if (number != aurora_ || hr != S_OK) continue;
        if (value.ToString() == W("Internal Memory")) memory_ = location;
        if (value.ToString() == W("Storage Card")) card_ = location;
      }
    }
  }
  // A medium taken out is not listed; the steps that need it will not run.
  const bool memoryListed = !memory_.empty() || TakenOut(W("Internal Memory"));
  if (!Check(memoryListed && (!card_.empty() || TakenOut(W("Storage Card"))), "the Aurora's two media were not listed")) {
    stopped_ = true;
    return;
  }
  if (memory_.empty()) return;
  // 2 GiB: the low half alone is past what a LONG holds.
  const std::pair<const WCHAR*, LONG> sizes[] = {{W("MediaSpaceTotalHi"), 0},
                                                 {W("MediaSpaceTotalLo"), static_cast<LONG>(0x80000000u)},
                                                 {W("MediaSpaceFreeLo"), 2095087794}};
  for (const auto& [name, expected] : sizes) {
    LONG value = 0;
    Expect(37, [&] { return plugin_->GetMediaPropertyLong(memory_.c_str(), name, &value); }, S_OK, Utf8(name));
    Check(value == expected, Utf8(name) + " is " + std::to_string(value) + ", not " + std::to_string(expected));
  }
  BOOL flag = FALSE;
  Expect(36, [&] { return plugin_->GetMediaPropertyBool(W("WMDM10|nowhere___memory"), W("MediaIsReadOnly"), &flag); },
         IPP_E_NOTFOUND, "a medium of no device");
}

void HostScript::AnswerFixedSlots() {
  Expect(7, [&] { return plugin_->ReservedQuery(1, 2, 3); }, S_FALSE, "slot 7");
  Expect(21, [&] { return plugin_->Fixed21(5); }, S_OK, "slot 21");
  Expect(22, [&] { return plugin_->Fixed22(5); }, S_OK, "slot 22");
  const std::pair<int, std::function<HRESULT()>> unimplemented[] = {
      {16, [&] { return plugin_->NotImplemented16(1, 2, 3); }},
      {17, [&] { return plugin_->NotImplemented17(1, 2, 3); }},
      {18, [&] { return plugin_->NotImplemented18(1, 2, 3); }},
      {20, [&] { return plugin_->NotImplemented20(1, 2, 3, 4, 5); }},
      {28, [&] { return plugin_->NotImplemented28(1, 2, 3); }},
      {35, [&] { return plugin_->NotImplemented35(1, 2); }},
      {39, [&] { return plugin_->NotImplemented39(1, 2, 3); }},
      {40, [&] { return plugin_->NotImplemented40(1, 2, 3); }},
      {41, [&] { return plugin_->NotImplemented41(1, 2, 3); }},
      {46, [&] { return plugin_->NotImplemented46(1, 2); }},
      {47, [&] { return plugin_->NotImplemented47(1, 2, 3); }},
      {48, [&] { return plugin_->NotImplemented48(1, 2); }},
  };
  for (const auto& [slot, call] : unimplemented) Expect(slot, call, E_NOTIMPL, "slot " + std::to_string(slot));
}

HRESULT HostScript::List(const WString& path, std::vector<Listed>* items) {
  items->clear();
  kcIPPItem item;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = Call(42, [&] { return plugin_->FindFirstItem(memory_.c_str(), path.c_str(), &item, &find); });
  while (hr == S_OK) {
    LONG order = -1;
    item.GetPropertyLong(W("ItemOrder"), &order);
    items->push_back({Take(item.GetLocation()), item.GetKind(), order});
    item.Clear();
    hr = Call(43, [&] { return plugin_->FindNextItem(find, &item); });
    if (!Check(items->size() < 256, "FindNextItem never ends")) break;
  }
  if (find) Expect(44, [&] { return plugin_->FindItemClose(find); }, S_OK, "FindItemClose");
  return hr;
}

bool HostScript::ItemNamed(const std::vector<Listed>& items, const WString& path) const {
  return std::any_of(items.begin(), items.end(), [&](const Listed& item) { return item.location == path; });
}

void HostScript::Browse() {
  std::vector<Listed> items;
  Check(List(W("\\"), &items) == S_FALSE, "the root listing did not end with S_FALSE");
  Check(ItemNamed(items, W("\\Music")) && ItemNamed(items, W("\\Playlists")), "the root lacks Music or Playlists");
  Check(!ItemNamed(items, W("\\System")), "the hidden System folder is listed");

  List(W("\\Music\\Northern Lights\\Aurora Borealis"), &items);
  std::vector<WString> tracks;
  for (const Listed& item : items) tracks.push_back(item.location);
  Check(tracks == std::vector<WString>({kPolarNight, kSolarWind,
                                        W("\\Music\\Northern Lights\\Aurora Borealis\\03 Midnight Sun.mp3")}),
        "Aurora Borealis does not list its three tracks in order");

  List(W("\\Playlists\\Road Trip.pla"), &items);
  Check(items.size() == 3, "Road Trip lists " + std::to_string(items.size()) + " entries, not 3");
  for (size_t i = 0; i < items.size(); ++i)
    Check(items[i].order == static_cast<LONG>(i), "Road Trip's entry " + std::to_string(i) + " has order " +
                                                      std::to_string(items[i].order));
  if (!items.empty())
    Check(items[0].location == WString(W("\\Playlists\\Road Trip.pla|")) + kSolarWind,
          "Road Trip's first entry is " + Utf8(items[0].location));

  kcIPPItem item;
  if (Expect(45, [&] { return plugin_->GetItemInformation(memory_.c_str(), kSolarWind, &item); }, S_OK, "GetItemInformation")) {
    Check(Take(item.GetTitle()) == W("Solar Wind"), "Solar Wind's title");
    Check(item.GetSize() == 5767168, "Solar Wind's size");
  }
  Expect(45, [&] { return plugin_->GetItemInformation(memory_.c_str(), W("\\Music\\Gone.mp3"), &item); }, IPP_E_NOTFOUND,
         "information of a missing track");
  IPPFINDHANDLE find = nullptr;
  Expect(42, [&] { return plugin_->FindFirstItem(memory_.c_str(), W("\\Nowhere"), &item, &find); }, IPP_E_NOTFOUND,
         "listing a missing folder");
  Check(find == nullptr, "a failed listing handed out a handle");
}

void HostScript::MakeFolder() {
  const size_t before = Events(HostEvent::kContentAdded).size();
  UniqueBstr created;
  if (!Expect(26, [&] { return plugin_->CreateFolder(memory_.c_str(), W("\\Music"), W("Sent"), created.Put()); }, S_OK,
              "CreateFolder"))
    return;
  Check(created.ToString() == kSentFolder, "CreateFolder gave " + Utf8(created.ToString()));
  const std::vector<HostEvent> added = Events(HostEvent::kContentAdded);
  Check(added.size() == before + 1 && !added.back().paths.empty() && added.back().paths.back() == kSentFolder,
        "no ContentAdded for the new folder");
  UniqueBstr again;
  Expect(26, [&] { return plugin_->CreateFolder(memory_.c_str(), W("\\Music"), W("Sent"), again.Put()); }, IPP_E_ALREADYEXISTS,
         "CreateFolder of an existing name");
}

void HostScript::SendTrack() {
  SourceFile source;
  if (!Check(FindSourceFile(options_.tracksFolder + "/Harbour Bell.wav", &source), "no track to send")) return;
  TrackTags tags;
  tags.title = W("Harbour Bell");
  tags.artist = W("Northern Lights");
  tags.album = W("Quiet Water");
  tags.genre = W("Ambient");
  tags.track = 4;
  tags.rating = 80;
  HostItem item;
  FillTrackItem(tags, &item);

  const size_t ended = Events(HostEvent::kOperationEnded).size();
  const size_t added = Events(HostEvent::kContentAdded).size();
  DWORD outcome = 0;
  invariants_.NoteSent(source.native);
  const HRESULT hr =
      Call(27, [&] { return plugin_->DownloadFile(memory_.c_str(), kSentFolder, source.path.c_str(), &item, 2, 27, &outcome); });
  if (!Check(hr == S_OK, "DownloadFile answered " + HexOf(hr))) return;
  Check(outcome == kOutcomeSent, "DownloadFile's outcome is " + std::to_string(outcome));
  const std::vector<HostEvent> ends = Events(HostEvent::kOperationEnded);
  Check(ends.size() == ended + 1 && ends.back().number == 27, "no OperationEnded(27) for the send");
  const std::vector<HostEvent> adds = Events(HostEvent::kContentAdded);
  if (Check(adds.size() == added + 1 && !adds.back().paths.empty(), "no ContentAdded for the sent track"))
    sentPath_ = adds.back().paths.back();
  Check(sentPath_ == W("\\Music\\Sent\\Harbour Bell.wav"), "the track was sent as " + Utf8(sentPath_));

  kcIPPItem sent;
  if (Expect(45, [&] { return plugin_->GetItemInformation(memory_.c_str(), sentPath_.c_str(), &sent); }, S_OK,
             "information of the sent track")) {
    LONG track = 0;
    sent.GetPropertyLong(W("ItemTrackNumber"), &track);
    Check(Take(sent.GetTitle()) == W("Harbour Bell") && Take(sent.GetArtist()) == W("Northern Lights") &&
              Take(sent.GetAlbum()) == W("Quiet Water") && track == 4,
          "the sent track's tags did not come back");
    Check(sent.GetSize() == 16148, "the sent track is " + std::to_string(sent.GetSize()) + " bytes");
  }
}

void HostScript::SendAgain() {
  SourceFile source;
  if (sentPath_.empty() || !FindSourceFile(options_.tracksFolder + "/Harbour Bell.wav", &source)) {
    Check(false, "nothing was sent to send again");
    return;
  }
  HostItem item;
  TrackTags tags;
  tags.title = W("Harbour Bell");
  FillTrackItem(tags, &item);
  struct Case {
    DWORD mode;
    HRESULT answer;
    DWORD outcome;
    bool ends;
  };
  const Case cases[] = {{3, IPP_E_ALREADYEXISTS, kOutcomeSent, false},
                        {2, S_OK, kOutcomeSent, false},
                        {0, S_OK, kOutcomeReplaced, true}};
  for (const Case& c : cases) {
    const std::string mode = "mode " + std::to_string(c.mode);
    const size_t ended = Events(HostEvent::kOperationEnded).size();
    DWORD outcome = 0;
    if (c.mode == 0) invariants_.NameForRemoval(W("Internal Memory"), sentPath_);
    invariants_.NoteSent(source.native);
    Expect(27, [&] { return plugin_->DownloadFile(memory_.c_str(), kSentFolder, source.path.c_str(), &item, c.mode, 28, &outcome); },
           c.answer, "sending an existing file, " + mode + ",");
    Check(outcome == c.outcome, mode + ": outcome " + std::to_string(outcome));
    Check((Events(HostEvent::kOperationEnded).size() > ended) == c.ends,
          mode + (c.ends ? ": no OperationEnded" : ": OperationEnded without a send"));
  }
  std::vector<Listed> items;
  List(kSentFolder, &items);
  Check(items.size() == 1, "the Sent folder holds " + std::to_string(items.size()) + " items, not 1");
}

void HostScript::SendOntoPlaylist() {
  // A playlist as the target: the track lands in the medium's root and is
  // added at the end of the playlist.
  SourceFile source;
  if (!Check(FindSourceFile(options_.tracksFolder + "/untagged.wav", &source), "no track to send")) return;
  HostItem item;
  TrackTags tags;
  tags.title = W("Field Notes");
  FillTrackItem(tags, &item);
  const WString evening = W("\\Playlists\\Evening.pla");
  std::vector<Listed> before;
  List(evening, &before);
  const size_t changed = Events(HostEvent::kPlaylistChanged).size();
  DWORD outcome = 0;
  invariants_.NoteSent(source.native);
  if (!Expect(27, [&] { return plugin_->DownloadFile(memory_.c_str(), evening.c_str(), source.path.c_str(), &item, 2, 29, &outcome); },
              S_OK, "DownloadFile onto a playlist"))
    return;
  const WString landed = W("\\untagged.wav");
  const WString entry = evening + W("|") + landed;
  const std::vector<HostEvent> changes = Events(HostEvent::kPlaylistChanged);
  Check(changes.size() > changed && !changes.back().entries.empty() && changes.back().entries.back() == entry,
        "no PlaylistChanged ending with the sent track");
  std::vector<Listed> after;
  List(evening, &after);
  Check(after.size() == before.size() + 1 && after.back().location == entry &&
            after.back().order == static_cast<LONG>(before.size()),
        "the sent track is not the playlist's last entry");
  std::vector<Listed> root;
  List(W("\\"), &root);
  Check(ItemNamed(root, landed), "the track sent onto a playlist is not in the root folder");
}

void HostScript::MakePlaylist() {
  UniqueBstr created;
  const size_t added = Events(HostEvent::kContentAdded).size();
  if (!Expect(24, [&] { return plugin_->CreatePlaylist(memory_.c_str(), W("\\Playlists"), W("Mix.pla"), created.Put()); }, S_OK,
              "CreatePlaylist"))
    return;
  Check(created.ToString() == W("\\Playlists\\Mix.pla"), "CreatePlaylist gave " + Utf8(created.ToString()));
  Check(Events(HostEvent::kContentAdded).size() == added + 1, "no ContentAdded for the new playlist");

  std::vector<WString> tracks = {kSolarWind, kPolarNight};
  if (!sentPath_.empty()) tracks.insert(tracks.begin(), sentPath_);
  std::vector<WString> ids;
  for (const WString& track : tracks) ids.push_back(W("\\Playlists\\Mix.pla|") + track);
  HostItemIdList entries(ids);
  const size_t changed = Events(HostEvent::kPlaylistChanged).size();
  Expect(25, [&] { return plugin_->UpdatePlaylist(memory_.c_str(), W("\\Playlists\\Mix.pla"), &entries); }, S_OK, "UpdatePlaylist");
  const std::vector<HostEvent> changes = Events(HostEvent::kPlaylistChanged);
  Check(changes.size() == changed + 1 && changes.back().entries == ids,
        "PlaylistChanged did not carry the new entries in order");
}

void HostScript::ReorderPlaylist() {
  std::vector<Listed> items;
  List(W("\\Playlists\\Mix.pla"), &items);
  std::vector<WString> ids;
  for (const Listed& item : items) ids.push_back(item.location);
  std::reverse(ids.begin(), ids.end());
  HostItemIdList entries(ids);
  const size_t changed = Events(HostEvent::kPlaylistChanged).size();
  Expect(25, [&] { return plugin_->UpdatePlaylist(memory_.c_str(), W("\\Playlists\\Mix.pla"), &entries); }, S_OK,
         "UpdatePlaylist in reverse");
  const std::vector<HostEvent> changes = Events(HostEvent::kPlaylistChanged);
  Check(changes.size() == changed + 1 && changes.back().entries == ids, "PlaylistChanged did not carry the reversal");
  List(W("\\Playlists\\Mix.pla"), &items);
  std::vector<WString> listed;
  for (const Listed& item : items) listed.push_back(item.location);
  Check(listed == ids && ids.size() >= 2, "the playlist does not list its entries reversed");
}

void HostScript::Rename() {
  const size_t removed = Events(HostEvent::kContentRemoved).size();
  const size_t added = Events(HostEvent::kContentAdded).size();
  Expect(23, [&] { return plugin_->RenameItem(memory_.c_str(), W("\\Playlists\\Mix.pla"), W("Drive.pla")); }, S_OK, "RenameItem");
  Check(Events(HostEvent::kContentRemoved).size() == removed + 1 && Events(HostEvent::kContentAdded).size() == added + 1,
        "a rename is not reported as one removal and one addition");
  std::vector<Listed> items;
  List(W("\\Playlists"), &items);
  Check(ItemNamed(items, W("\\Playlists\\Drive.pla")) && !ItemNamed(items, W("\\Playlists\\Mix.pla")),
        "the playlist is not listed under its new name");
  Expect(23, [&] { return plugin_->RenameItem(memory_.c_str(), W("\\Playlists\\Mix.pla"), W("Again.pla")); }, IPP_E_NOTFOUND,
         "renaming what is gone");
}

void HostScript::Delete() {
  // A folder holding a file the host is never shown stays, however its
  // listings went; nothing in it may go either.
  invariants_.NameForRemoval(W("Internal Memory"), kNotes);
  Expect(29, [&] { return plugin_->DeleteItem(memory_.c_str(), kNotes); }, IPP_E_STALE,
         "deleting a folder that holds a hidden file");

  const WString entry = WString(W("\\Playlists\\Drive.pla|")) + kPolarNight;
  std::vector<Listed> before;
  List(W("\\Playlists\\Drive.pla"), &before);
  const size_t changed = Events(HostEvent::kPlaylistChanged).size();
  Expect(29, [&] { return plugin_->DeleteItem(memory_.c_str(), entry.c_str()); }, S_OK, "deleting a playlist entry");
  Check(Events(HostEvent::kPlaylistChanged).size() > changed, "no PlaylistChanged for the removed entry");
  std::vector<Listed> after;
  List(W("\\Playlists\\Drive.pla"), &after);
  Check(after.size() + 1 == before.size() && !ItemNamed(after, entry), "the entry is still listed");

  const WString track = sentPath_.empty() ? WString(kSolarWind) : sentPath_;
  const size_t removed = Events(HostEvent::kContentRemoved).size();
  invariants_.NameForRemoval(W("Internal Memory"), track);
  Expect(29, [&] { return plugin_->DeleteItem(memory_.c_str(), track.c_str()); }, S_OK, "deleting a track");
  const std::vector<HostEvent> removals = Events(HostEvent::kContentRemoved);
  Check(removals.size() > removed && !removals.back().paths.empty() && removals.back().paths.back() == track,
        "no ContentRemoved for the deleted track");
  // The plug-in may still answer for the deleted track from what it cached;
  // the folder's listing goes to the player.
  std::vector<Listed> folder;
  List(track.substr(0, track.find_last_of(W('\\'))), &folder);
  Check(!ItemNamed(folder, track), "the deleted track is still listed");
  Expect(29, [&] { return plugin_->DeleteItem(memory_.c_str(), track.c_str()); }, IPP_E_NOTFOUND, "deleting it again");
}

void HostScript::Hotplug() {
  if (!options_.hotplug) return;
  wmdm_standin::PlayerModel& players = host_->players->Model();
  wmdm_standin::DeviceDescription pocket;
  pocket.name = W("Pocket Session");
  pocket.manufacturer = W("Harbour Devices");
  pocket.canonicalName = W("\\\\?\\usb#vid_4a11&pid_0002#5e55#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0");
  const wmdm_standin::ObjectId device = players.AddDevice(pocket, wmdm_standin::PlayerModel::Presence::Detached);
  wmdm_standin::MediumDescription medium;
  medium.name = W("Memory");
  medium.totalSize = 64 * 1024 * 1024;
  players.AddMedium(device, medium);
  const size_t listed = DeviceNumbers().size();

  const size_t arrived = Events(HostEvent::kDeviceArrived).size();
  players.ConnectDevice(device);
  Check(callback_->WaitFor([&](const std::vector<HostEvent>& events) {
          return std::count_if(events.begin(), events.end(), [](const HostEvent& event) {
                   return event.kind == HostEvent::kDeviceArrived;
                 }) > static_cast<long>(arrived);
        }, 5000),
        "no DeviceArrived within 5 s");
  Check(DeviceNumbers().size() == listed + 1, "the new player is not listed");

  const size_t removed = Events(HostEvent::kDeviceRemoved).size();
  players.RemoveDevice(device);
  Check(callback_->WaitFor([&](const std::vector<HostEvent>& events) {
          return std::count_if(events.begin(), events.end(), [](const HostEvent& event) {
                   return event.kind == HostEvent::kDeviceRemoved;
                 }) > static_cast<long>(removed);
        }, 5000),
        "no DeviceRemoved within 5 s");
  Check(DeviceNumbers().size() == listed, "the removed player is still listed");
}

void HostScript::EraseCard() {
  invariants_.NameForRemoval(W("Storage Card"), W("\\"));
  const size_t ended = Events(HostEvent::kOperationEnded).size();
  Expect(33, [&] { return plugin_->Erase(card_.c_str(), 33); }, S_OK, "Erase");
  const std::vector<HostEvent> ends = Events(HostEvent::kOperationEnded);
  Check(ends.size() == ended + 1 && ends.back().number == 33, "no OperationEnded(33) for the erase");
  std::vector<Listed> items;
  kcIPPItem item;
  IPPFINDHANDLE find = nullptr;
  const HRESULT hr = Call(42, [&] { return plugin_->FindFirstItem(card_.c_str(), W("\\"), &item, &find); });
  if (find) Call(44, [&] { return plugin_->FindItemClose(find); });
  Check(hr == S_FALSE, "the erased card still lists something (" + HexOf(hr) + ")");
}

void HostScript::FormatMemory() {
  invariants_.NameForRemoval(W("Internal Memory"), W("\\"));
  const size_t ended = Events(HostEvent::kOperationEnded).size();
  Expect(34, [&] { return plugin_->Format(memory_.c_str(), 34); }, S_OK, "Format");
  const std::vector<HostEvent> ends = Events(HostEvent::kOperationEnded);
  Check(ends.size() == ended + 1 && ends.back().number == 34, "no OperationEnded(34) for the format");
  std::vector<Listed> items;
  Check(List(W("\\"), &items) == S_FALSE && items.empty(), "the formatted memory still lists something");
  LONG freeLow = 0;
  Expect(37, [&] { return plugin_->GetMediaPropertyLong(memory_.c_str(), W("MediaSpaceFreeLo"), &freeLow); }, S_OK, "free space");
  Check(freeLow == static_cast<LONG>(0x80000000u), "the formatted memory is not all free");
}

bool HostScript::LockIsFree() {
  // Another thread takes the plug-in's lock through a slot that takes it;
  // a lock left held shows as a call that does not come back.
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> returned = done->get_future();
  kiMusicDevicePlugin2004* plugin = plugin_;
  std::thread other([plugin, done] {
    LONG value = 0;
    plugin->GetMediaPropertyLong(W("WMDM10|nowhere___memory"), W("MediaSpaceTotalLo"), &value);
    done->set_value();
  });
  if (returned.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    other.detach();  // stuck for good; the process must not wait for it
    return false;
  }
  other.join();
  return true;
}

void HostScript::Stop() {
  if (plugin_ && started_) {
    Check(LockIsFree(), "the plug-in lock is held after the session");
    const std::vector<WString> lines = callback_->LogLines();
    const std::set<int> driven = SlotsDriven();
    for (const auto& [slot, name] : kLoggingSlots) {
      if (!driven.count(slot)) continue;
      const WString prefix = W("WMDM10::") + wide::FromUtf8(name) + W(" ");
      Check(std::any_of(lines.begin(), lines.end(),
                        [&](const WString& line) { return line.compare(0, prefix.size(), prefix) == 0; }),
            std::string("no log line of ") + name);
    }
    Expect(1, [&] { return plugin_->Shutdown(); }, S_OK, "Shutdown");
    started_ = false;
  }
  if (plugin_) {
    Check(host_->module.ReleaseIMDP2004(plugin_) != FALSE, "ReleaseIMDP2004 did not know its plug-in");
  }
  if (!host_) return;
  if (host_->players) {
    host_->players->Model().Events().Flush();
    if (options_.afterStep) options_.afterStep(current_->name, host_->players->Model());
    host_->players.reset();
  }
  host_->settings.reset();
  const long alive = wmdm_standin::LiveComObjects();
  Check(alive == 0, std::to_string(alive) + " stand-in objects alive after shutdown");
}
