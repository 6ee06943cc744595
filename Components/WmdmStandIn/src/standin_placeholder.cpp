// Placeholder so the stand-in library exists until its classes land.
namespace wmdm_standin {
int Placeholder() { return 0; }
}  // namespace wmdm_standin
