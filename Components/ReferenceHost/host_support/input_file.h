// The files a user hands the host (registry exports, manifests, player
// descriptions, watch scripts): read whole up to a size limit, decoded
// strictly, and named escaped where the name is not UTF-8.
#pragma once

#include <string>

#include <wide_text.h>

// No input file is larger: a .reg export of the device branches of a busy
// machine is a few megabytes.
constexpr size_t kMaxInputFileBytes = 64u << 20;

// The file's name as messages show it: bytes that are not UTF-8, and control
// characters, written as \xNN.
std::string ShownName(const std::string& path);

// False with a one-line reason naming the file when it cannot be read, is a
// directory, or is larger than kMaxInputFileBytes.
bool ReadInputFile(const std::string& path, std::string* bytes, std::string* error);

// A text file's characters: UTF-16 after its byte-order mark (little- or
// big-endian), otherwise UTF-8 with or without its mark. A byte that is not
// part of well-formed UTF-8, or UTF-16 cut in the middle of a character, makes
// the whole file unreadable: false with the place in `error`.
bool DecodeTextFile(const std::string& bytes, WString* text, std::string* error);
