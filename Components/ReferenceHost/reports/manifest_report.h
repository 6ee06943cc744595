// What the plug-in reads from a manifest file: the file is served through the
// host settings store and read by the plug-in's own classes, as Initialize
// would, and every device record and skip entry is written out. This is how a
// person checks a manifest before shipping it.
#pragma once

#include <ostream>
#include <string>

// Writes the report (text, or JSON when `json`) to `out` and returns 0; returns
// 2 with a one-line reason when the file cannot be read or does not parse, and
// 1 when COM or the settings store cannot be set up.
int ReportManifest(const std::string& path, bool json, std::ostream& out, std::string* problem);
