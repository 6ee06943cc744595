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

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"info", "mdhost info [MEDIUM PATH] [--plugin PATH] [--players FILE] [--player DIR ...] [--manifest FILE] [--reg FILE ...] [--json]",
       "load the plug-in and print its name and version; with a MEDIUM and an item's PATH, that item with its "
       "tags",
       RunInfo},
      {"inventory", "mdhost inventory [--reg FILE ...] [--json]",
       "print every device record the plug-in reads from the registry (the live one, or .reg exports)",
       RunInventory},
      {"manifest", "mdhost manifest FILE [--json]",
       "print the device settings and skip entries the plug-in reads from a manifest file", RunManifest},
      {"players", "mdhost players [--players FILE] [--player DIR ...]", "print the stand-in's players and storages as WMDM shows them", RunPlayers},
      {"devices", "mdhost devices [--players FILE] [--player DIR ...] [--manifest FILE] [--reg FILE ...] [--json] [-v]",
       "list every player the plug-in finds (built-in sample players by default) with all its properties",
       RunDevices},
      {"media", "mdhost media [DEVICE] [--players FILE] [--player DIR ...] [--manifest FILE] [--reg FILE ...] [--json] [-v]",
       "list every medium of one device (its number, as devices prints it) or of all, with all its properties; "
       "each medium's location is followed by its short forms, DEVICE/N and a folder player's folder",
       RunMedia},
      {"ls", "mdhost ls MEDIUM [PATH] [--players FILE] [--player DIR ...] [--manifest FILE] [--reg FILE ...] [--json] [-v]",
       "list a folder of a medium (the medium's root without PATH): folders, tracks with their tags, playlists "
       "with their entries. MEDIUM, in every command: the media location mdhost media prints, DEVICE/N (the "
       "device's N-th medium), or on Linux a folder player's folder (--player FOLDER implied); paths take \"/\" "
       "as well as \"\\\"",
       RunLs},
      {"watch",
       "mdhost watch [--players FILE] [--player DIR ...] [--watch-root DIR ...] [--watch-mounts] [--manifest FILE] "
       "[--reg FILE ...] [--script FILE] [--seconds N] [-v]",
       "stay attached and print arrivals and removals (of watched folders too); a script connects and removes "
       "players meanwhile",
       RunWatch},
      {"erase", "mdhost erase MEDIUM --yes [--players FILE] [--player DIR ...] [--manifest FILE] [--reg FILE ...] [-v]",
       "delete everything on one medium and print the end the host is told of", RunErase},
      {"format", "mdhost format MEDIUM --yes [--players FILE] [--player DIR ...] [--manifest FILE] [--reg FILE ...] [-v]",
       "format one medium and print the end the host is told of", RunFormat},
      {"mkdir", "mdhost mkdir MEDIUM PARENT NAME [--players FILE] [--player DIR ...] [-v]",
       "create a folder", RunMkdir},
      {"mv", "mdhost mv MEDIUM PATH NEWNAME [--players FILE] [--player DIR ...] [-v]", "rename a file, folder or playlist", RunMv},
      {"rm", "mdhost rm MEDIUM PATH [--players FILE] [--player DIR ...] [-v]",
       "delete a file, playlist or folder with its content, or one playlist entry (PLAYLIST|TRACK)", RunRm},
      {"playlist",
       "mdhost playlist new MEDIUM FOLDER NAME | set MEDIUM PLAYLIST [TRACK ...] | show MEDIUM PLAYLIST "
       "[--players FILE] [--player DIR ...] [--json] [-v]",
       "create a playlist, give it these tracks in this order, or list its entries", RunPlaylist},
      {"send",
       "mdhost send FILE... MEDIUM TARGET [--keep|--fail-if-exists|--replace] [--title T] [--artist A] [--album B] "
       "[--genre G] [--track N] [--rating R] [--players FILE] [-v]",
       "copy tracks onto a medium, into the folder or onto the end of the playlist TARGET, with their tags (the "
       "options, then the file's own where this build reads them); a file of the same name is kept (the default), "
       "refused or replaced",
       RunSend},
      {"sync", "mdhost sync SOURCE MEDIUM TARGET [--dry-run] [--delete] [--playlists] [--players FILE] [--player DIR ...] [-v]",
       "make the folder TARGET on the player hold the audio files of the computer's folder SOURCE, folders kept: "
       "send what is new or changed, skip what the player does not play; --delete removes what SOURCE no longer "
       "has, --playlists copies its M3U/M3U8 playlists as the player's own, --dry-run prints the plan only",
       RunSync},
      {"serve",
       "mdhost serve [--port N] [--open] [--upload-limit MIB] [--players FILE] [--player DIR ...] [--watch-root DIR ...] "
       "[--watch-mounts] [--manifest FILE] [--reg FILE ...] [-v]",
       "serve a page on 127.0.0.1 that shows the players and lets a browser browse, send, rename, delete, reorder "
       "playlists, erase and format; prints the address to open, with its access token (Linux)",
       RunServe},
  };
  return commands;
}
