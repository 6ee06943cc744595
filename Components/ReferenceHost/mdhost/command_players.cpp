// mdhost players: offers the WMDM stand-in over a player description (the
// built-in sample by default) and prints the players and their storages as
// a WMDM client sees them, without the plug-in.
#include <objbase.h>

#include <iostream>

#include <com_ptr.h>

#include "host_support/standin_players.h"
#include "mdhost/command.h"
#include "mdhost/player_listing.h"

namespace {

// COM for this thread, for the length of the command.
class ComScope {
 public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace

int RunPlayers(const CommandLine& line) {
  ComScope com;
  if (FAILED(com.Result())) {
    std::cerr << "mdhost players: CoInitialize failed\n";
    return kExitFailure;
  }
  HRESULT result = S_OK;
  {
    StandInPlayers players;
    std::string error;
    bool badInput = false;
    if (!players.Open(line.Value("--players"), &error, &badInput, line.Values("--player"))) {
      std::cerr << "mdhost players: " << error << "\n";
      return badInput ? kExitBadInput : kExitFailure;
    }
    ComPtr<IWMDeviceManager> manager;
    result = CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager, manager.AsVoidOut());
    if (SUCCEEDED(result)) result = PrintPlayers(manager.Get(), std::cout);
  }
  if (FAILED(result)) {
    std::cerr << "mdhost players: WMDM answered 0x" << std::hex << static_cast<unsigned long>(result) << std::dec
              << "\n";
    return kExitFailure;
  }
  return kExitOk;
}
