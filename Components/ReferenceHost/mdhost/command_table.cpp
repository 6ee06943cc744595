#include "mdhost/command.h"

int RunInfo(const CommandLine& line);
int RunInventory(const CommandLine& line);
int RunManifest(const CommandLine& line);
int RunPlayers(const CommandLine& line);
int RunDevices(const CommandLine& line);
int RunWatch(const CommandLine& line);
int RunMedia(const CommandLine& line);
int RunErase(const CommandLine& line);
int RunFormat(const CommandLine& line);
int RunLs(const CommandLine& line);
int RunMkdir(const CommandLine& line);
int RunMv(const CommandLine& line);
int RunRm(const CommandLine& line);
int RunPlaylist(const CommandLine& line);
int RunSend(const CommandLine& line);
int RunSync(const CommandLine& line);
int RunServe(const CommandLine& line);

namespace {

// Whether a command takes the session's options besides its own.
constexpr bool kSession = true;
constexpr bool kOwnOnly = false;

}  // namespace

// An entry's last number is the most positionals the command reads, its
// usage's upper-case words; left out, any number (send's files, playlist
// set's tracks; sync counts its three itself).
const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"info", "mdhost info [--plugin PATH] | info MEDIUM PATH [SESSION OPTIONS] [--json]",
       "load the plug-in and print its name and version; with a MEDIUM and an item's PATH, that item with its "
       "tags",
       RunInfo, kSession, {"--json"}, {}, 2},
      {"inventory", "mdhost inventory [--reg FILE ...] [--json]",
       "print every device record the plug-in reads from the registry (the live one, or .reg exports)",
       RunInventory, kOwnOnly, {"--json"}, {"--reg"}, 0},
      {"manifest", "mdhost manifest FILE [--json]",
       "print the device settings and skip entries the plug-in reads from a manifest file", RunManifest, kOwnOnly,
       {"--json"}, {}, 1},
      {"players", "mdhost players [--players FILE] [--player DIR ...]",
       "print the stand-in's players and storages as WMDM shows them", RunPlayers, kOwnOnly, {},
       {"--players", "--player"}, 0},
      {"devices", "mdhost devices [SESSION OPTIONS] [--json]",
       "list every player the plug-in finds (built-in sample players by default) with all its properties",
       RunDevices, kSession, {"--json"}, {}, 0},
      {"media", "mdhost media [DEVICE] [SESSION OPTIONS] [--json]",
       "list every medium of one device (its number, as devices prints it) or of all, with all its properties; "
       "each medium's location is followed by its short forms, DEVICE/N and a folder player's folder",
       RunMedia, kSession, {"--json"}, {}, 1},
      {"ls", "mdhost ls MEDIUM [PATH] [SESSION OPTIONS] [--json]",
       "list a folder of a medium (the medium's root without PATH): folders, tracks with their tags, playlists "
       "with their entries. MEDIUM, in every command: the media location mdhost media prints, DEVICE/N (the "
       "device's N-th medium), or on Linux a folder player's folder (--player FOLDER implied); paths take \"/\" "
       "as well as \"\\\"",
       RunLs, kSession, {"--json"}, {}, 2},
      {"watch", "mdhost watch [--script FILE] [--seconds N] [SESSION OPTIONS]",
       "stay attached and print arrivals and removals (of watched folders too); a script connects and removes "
       "players meanwhile",
       RunWatch, kSession, {}, {"--script", "--seconds"}, 0},
      {"erase", "mdhost erase MEDIUM --yes [SESSION OPTIONS]",
       "delete everything on one medium and print the end the host is told of", RunErase, kSession, {"--yes"}, {},
       1},
      {"format", "mdhost format MEDIUM --yes [SESSION OPTIONS]",
       "format one medium and print the end the host is told of", RunFormat, kSession, {"--yes"}, {}, 1},
      {"mkdir", "mdhost mkdir MEDIUM PARENT NAME [SESSION OPTIONS]", "create a folder", RunMkdir, kSession, {}, {},
       3},
      {"mv", "mdhost mv MEDIUM PATH NEWNAME [SESSION OPTIONS]", "rename a file, folder or playlist", RunMv,
       kSession, {}, {}, 3},
      {"rm", "mdhost rm MEDIUM PATH [SESSION OPTIONS]",
       "delete a file, playlist or folder with its content, or one playlist entry (PLAYLIST|TRACK)", RunRm,
       kSession, {}, {}, 2},
      {"playlist",
       "mdhost playlist new MEDIUM FOLDER NAME | set MEDIUM PLAYLIST [TRACK ...] | show MEDIUM PLAYLIST [--json] "
       "[SESSION OPTIONS]",
       "create a playlist, give it these tracks in this order, or list its entries", RunPlaylist, kSession,
       {"--json"}, {}},
      {"send",
       "mdhost send FILE... MEDIUM TARGET [--keep|--fail-if-exists|--replace] [--title T] [--artist A] [--album B] "
       "[--genre G] [--track N] [--rating R] [--no-convert] [--quality Q] [--jobs N] [SESSION OPTIONS]",
       "copy tracks onto a medium, into the folder or onto the end of the playlist TARGET, with their tags (the "
       "options, then the file's own where this build reads them); a file of the same name is kept (the default), "
       "refused or replaced; a track the player does not play is converted to MP3 (--no-convert: refused; "
       "--quality and --jobs as for sync)",
       RunSend, kSession, {"--keep", "--fail-if-exists", "--replace", "--no-convert"},
       {"--title", "--artist", "--album", "--genre", "--track", "--rating", "--quality", "--jobs"}},
      {"sync",
       "mdhost sync SOURCE MEDIUM TARGET [--dry-run] [--delete] [--playlists] [--no-convert] [--quality Q] "
       "[--jobs N] [SESSION OPTIONS] | sync --clean-cache",
       "make the folder TARGET on the player hold the audio files of the computer's folder SOURCE, folders kept: "
       "send what is new or changed, converting to MP3 what the player does not play (--no-convert: skip it; "
       "--quality V0..V9 or a constant rate such as 320k, V2 by default; --jobs conversions at once, one per core "
       "by default; each converted once, kept in a cache that --clean-cache empties); --delete removes what "
       "SOURCE no longer has, --playlists copies its M3U/M3U8 playlists as the player's own, --dry-run prints the "
       "plan only",
       RunSync, kSession, {"--dry-run", "--delete", "--playlists", "--no-convert", "--clean-cache"},
       {"--quality", "--jobs"}},
      // serve reads its own options in serve/command_serve.cpp; they are
      // declared here so that a stray one is refused before serving starts.
      {"serve", "mdhost serve [--port N] [--open] [--upload-limit MIB] [SESSION OPTIONS]",
       "serve a page on 127.0.0.1 that shows the players and lets a browser browse, send, rename, delete, reorder "
       "playlists, erase and format; prints the address to open, with its access token (Linux)",
       RunServe, kSession, {"--open"}, {"--port", "--upload-limit"}, 0},
  };
  return commands;
}
