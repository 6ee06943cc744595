// OleRun: puts an object into its running state when it has one to enter.
#include <ole2.h>

extern "C" HRESULT OleRun(LPUNKNOWN unknown) {
  IRunnableObject* runnable = nullptr;
  // An object that is not runnable is running already.
  if (FAILED(unknown->QueryInterface(IID_IRunnableObject, reinterpret_cast<void**>(&runnable)))) return S_OK;
  const HRESULT hr = runnable->Run(nullptr);
  runnable->Release();
  return hr;
}
