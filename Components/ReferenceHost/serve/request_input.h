// Every field a web request brings is input like any file the host reads:
// checked before anything is done with it, and refused with a sentence that
// says what is wrong (HTTP 400), never passed on to the plug-in unchecked.
#pragma once

#include <string>

#include <nlohmann/json.hpp>
#include <wide_text.h>

// Why `text` is no path on a medium ("\Music\Album", "/Music/Album", or empty
// for the root; a playlist entry as PLAYLIST|TRACK when `entryAllowed`);
// empty when it is one. `path` receives it with "\" separators.
std::string PathProblem(const std::string& text, bool entryAllowed, WString* path);

// The request's body as a JSON object; false with the sentence otherwise.
bool ParseBody(const std::string& body, nlohmann::json* object, std::string* error);

// The text field `name` of `object`; false with the sentence when it is
// missing or no text.
bool TextField(const nlohmann::json& object, const char* name, std::string* value, std::string* error);

// A path field, checked as PathProblem does.
bool PathField(const nlohmann::json& object, const char* name, bool entryAllowed, WString* path, std::string* error);

// A whole number of at most nine digits, within [0, most].
bool CountText(const std::string& text, unsigned long most, unsigned long* value);
