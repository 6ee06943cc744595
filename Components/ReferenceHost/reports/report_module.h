// The reports that read through the plug-in's own classes (the inventory and
// the manifest) live in a module of their own, MDHostReports, that mdhost loads
// only for those two commands. A host process that loads the plug-in module
// then never holds a second copy of the plug-in linked into itself. The
// boundary is plain C, as between any two modules with runtimes of their own.
#pragma once

#include <stddef.h>

extern "C" {

// Receives text (UTF-8) in pieces.
typedef void (*MdReportWriteFn)(void* context, const char* text, size_t length);

struct MdReportOutput {
  void* context;
  MdReportWriteFn write;    // the report itself
  MdReportWriteFn problem;  // the one-line reason of a status other than 0
};

// The module's exports, under the names of their types without "Fn". Each
// returns the report's exit status (0, 1 or 2, as mdhost's commands do).
typedef int (*MdReportInventoryFn)(const char* const* regFiles, size_t count, int json, const MdReportOutput* output);
typedef int (*MdReportManifestFn)(const char* path, int json, const MdReportOutput* output);

}  // extern "C"
