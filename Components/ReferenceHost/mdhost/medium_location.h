// How mdhost's commands name a medium: by the media location mdhost media
// prints, as DEVICE/N (the device's N-th medium as mdhost media lists them),
// or, on Linux, by the folder of a folder player. Host paths may be written
// with "/" as well as "\".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <ki_music_device_plugin2004.h>
#include <wide_text.h>

#include "host_support/standin_players.h"
#include "mdhost/command.h"

// A positive decimal number of at most nine digits.
bool ParseCount(const std::string& text, DWORD* number);

struct MediumName {
  WString location;
  DWORD device = 0;  // the device's number, as the plug-in lists it
  DWORD index = 0;   // the medium's place among the device's media, from 1
};

// The line with --player MEDIUM added when MEDIUM is a folder no --player
// names yet: the folder is then a player for the run.
CommandLine WithFolderPlayer(const CommandLine& line, const std::string& medium);

// Lists the devices and their media, as a host does before it touches
// content, and finds the medium `text` names in any of its forms. False when
// none is listed.
bool FindMedium(kiMusicDevicePlugin2004* plugin, const std::vector<StandInPlayers::Folder>& folders,
                const std::string& text, MediumName* found);
// The same among the devices `numbers` alone, without listing the devices
// again: a host that keeps its own list of players from the plug-in's
// arrivals must not, since a new listing renumbers the plug-in's devices and
// takes in a player whose arrival is still on its way, which then never
// comes (nor comes from a rescan: the player is listed already).
bool FindListedMedium(kiMusicDevicePlugin2004* plugin, const std::vector<DWORD>& numbers,
                      const std::vector<StandInPlayers::Folder>& folders, const std::string& text, MediumName* found);

// "1/2": the short form of a device's second medium.
std::string ShortForm(DWORD device, DWORD index);

// The folder whose player holds the medium at `location`; empty for none.
std::string FolderOf(const std::vector<StandInPlayers::Folder>& folders, const WString& location);

// A host path as typed, with "/" read as "\".
WString HostPath(const std::string& text);
