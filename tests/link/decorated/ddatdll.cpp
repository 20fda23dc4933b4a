// A DDatDll that exports its functions only under their decorated stdcall names ("_Name@N"),
// as a library built without a module-definition file may. Each function answers with a
// number of its own, so a test sees which function the loader bound.
#include "link/analoglink.h"

using namespace dtool;
using I32 = std::int32_t;

extern "C" {

I32 DTOOL_LINKCALL OpenCom(I32 port) {
  return 1000 + port;
}
I32 DTOOL_LINKCALL CloseCom(I32 port) {
  return 2000 + port;
}
I32 DTOOL_LINKCALL SetRecEventProc(I32, TRecEventProc*) {
  return 3000;
}
I32 DTOOL_LINKCALL SetErrEventProc(I32, TErrEventProc*) {
  return 4000;
}
I32 DTOOL_LINKCALL GetInstType(I32, I32* code) {
  *code = 10;
  return 5000;
}
I32 DTOOL_LINKCALL TransCmd(I32, TransRec*) {
  return 6000;
}
I32 DTOOL_LINKCALL GetRecEventKind(I32) {
  return 7000;
}
I32 DTOOL_LINKCALL GetPressInst(I32, float* p) {
  *p = 42.5f;
  return 8000;
}
I32 DTOOL_LINKCALL GetVelocityInst(I32, float*) {
  return 9000;
}
I32 DTOOL_LINKCALL GetLastError(I32, TErrRec*) {
  return 10000;
}
I32 DTOOL_LINKCALL ClrErrors(I32) {
  return 11000;
}

} // extern "C"
