// OleRun: puts an object into its running state when it has one to enter.
#include <ole2.h>

#include <com_ptr.h>

extern "C" HRESULT OleRun(LPUNKNOWN unknown) {
  ComPtr<IRunnableObject> runnable;
  // An object that is not runnable is running already.
  if (FAILED(unknown->QueryInterface(IID_IRunnableObject, runnable.AsVoidOut()))) return S_OK;
  return runnable->Run(nullptr);
}
