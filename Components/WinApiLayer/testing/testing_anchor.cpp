// Keeps the test-support library non-empty on every lane.
namespace winapi_testing {
int Anchor() { return 0; }
}  // namespace winapi_testing
