// A module for the layer's tests to load, query and read the version of.
extern "C" int WinApiSampleModuleAnswer() { return 42; }
