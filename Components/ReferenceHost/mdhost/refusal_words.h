// Why a send or an edit was refused, in words a person understands. The
// plug-in's own results are coarse where its rules make them so (a name the
// medium will not take comes back as the general failure), so the host
// checks what it can before the call and says what it found.
#pragma once

#include <windows.h>

#include <string>

#include <ki_music_device_plugin2004.h>
#include <wide_text.h>

// "0x80040011 (no room left on the medium)": a failed call's result.
std::string FailureWords(HRESULT result);

// Why a player's medium would not take `name` as a file or folder name, as
// FAT and exFAT (what players' media use) rule it; empty when it takes it.
std::string NameProblem(const WString& name);

// "cannot name it "NAME": why", for a new name NameProblem refuses; empty
// when the medium takes it.
std::string NameRefusal(const std::string& name);

// Why a file on this computer cannot be handed to the plug-in by its name
// (`native`, the path's own bytes); empty when it can.
std::string SourceNameProblem(const std::string& native);

// `result` of an edit of the item at `path`, in words; where it is the
// plug-in's general failure, what the host can see of the medium and the
// item says more (a read-only medium, a read-only file).
std::string EditFailureWords(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path,
                             HRESULT result);
