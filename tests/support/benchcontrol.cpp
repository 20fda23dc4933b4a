#include "support/benchcontrol.h"

#include <stdexcept>

#include "bench/benchcontrol.h"
#include "link/linkloader.h"
#include "tools/progtools.h"

namespace dtool::test {

struct TBenchControl::TImpl {
  TLinkLibrary Lib;
  FnBenchLoad* Load = nullptr;
  FnBenchMessages* Messages = nullptr;
  FnBenchSetManualClock* SetManualClock = nullptr;
  FnBenchAdvanceTime* AdvanceTime = nullptr;
  FnBenchSetPressure* SetPressure = nullptr;
  FnBenchRaiseError* RaiseError = nullptr;
  FnBenchGetOutput* GetOutput = nullptr;
  FnBenchGetDisplay* GetDisplay = nullptr;
  FnBenchSetFault* SetFault = nullptr;
  FnBenchPlug* Plug = nullptr;
  FnBenchSetTrace* SetTrace = nullptr;
  FnBenchExchangeCount* ExchangeCount = nullptr;
};

namespace {

void Check(const char* function, std::int32_t status) {
  if (status != 0)
    throw std::runtime_error(std::string(function) + " refused: status " + std::to_string(status));
}

} // namespace

TBenchControl::TBenchControl() : impl_(std::make_unique<TImpl>()) {
  TLinkLoadError err;
  const std::string path =
      LinkLibraryPath(GetProgPfad(), std::string(DTOOL_BENCH_LIBRARY) + LinkLibrarySuffix());
  TImpl& b = *impl_;
  if (!b.Lib.Open(path, err) || !b.Lib.Resolve("BenchLoad", b.Load, err) ||
      !b.Lib.Resolve("BenchMessages", b.Messages, err) ||
      !b.Lib.Resolve("BenchSetManualClock", b.SetManualClock, err) ||
      !b.Lib.Resolve("BenchAdvanceTime", b.AdvanceTime, err) ||
      !b.Lib.Resolve("BenchSetPressure", b.SetPressure, err) ||
      !b.Lib.Resolve("BenchRaiseError", b.RaiseError, err) ||
      !b.Lib.Resolve("BenchGetOutput", b.GetOutput, err) ||
      !b.Lib.Resolve("BenchGetDisplay", b.GetDisplay, err) ||
      !b.Lib.Resolve("BenchSetFault", b.SetFault, err) ||
      !b.Lib.Resolve("BenchPlug", b.Plug, err) ||
      !b.Lib.Resolve("BenchSetTrace", b.SetTrace, err) ||
      !b.Lib.Resolve("BenchExchangeCount", b.ExchangeCount, err))
    throw std::runtime_error(err.Text());
}

TBenchControl& TBenchControl::Get() {
  static TBenchControl control;
  return control;
}

std::int32_t TBenchControl::Load(const std::string& file, const std::string& stateFolder) {
  return impl_->Load(file.c_str(), stateFolder.c_str());
}

std::string TBenchControl::Messages() {
  char text[4000] = {};
  impl_->Messages(text, sizeof text);
  return text;
}

void TBenchControl::SetManualClock(bool manual) {
  Check("BenchSetManualClock", impl_->SetManualClock(manual ? 1 : 0));
}

void TBenchControl::Advance(std::int32_t ms) {
  Check("BenchAdvanceTime", impl_->AdvanceTime(ms));
}

void TBenchControl::SetPressure(std::int32_t port, double pa) {
  Check("BenchSetPressure", impl_->SetPressure(port, pa));
}

void TBenchControl::RaiseError(std::int32_t port, std::int32_t errNr) {
  Check("BenchRaiseError", impl_->RaiseError(port, errNr));
}

void TBenchControl::GetOutput(std::int32_t port, double& signal, std::int32_t& mode) {
  Check("BenchGetOutput", impl_->GetOutput(port, &signal, &mode));
}

void TBenchControl::GetDisplay(std::int32_t port, std::string& text, std::int32_t& contrast) {
  char shown[200] = {};
  Check("BenchGetDisplay", impl_->GetDisplay(port, shown, sizeof shown, &contrast));
  text = shown;
}

void TBenchControl::SetFault(std::int32_t port, const std::string& text) {
  const std::int32_t status = impl_->SetFault(port, text.c_str());
  if (status != 0)
    throw std::runtime_error("BenchSetFault refused: status " + std::to_string(status) + "\n" +
                             Messages());
}

void TBenchControl::Plug(std::int32_t port, const std::string& text) {
  const std::int32_t status = impl_->Plug(port, text.c_str());
  if (status != 0)
    throw std::runtime_error("BenchPlug refused: status " + std::to_string(status) + "\n" +
                             Messages());
}

void TBenchControl::SetTrace(const std::string& path) {
  Check("BenchSetTrace", impl_->SetTrace(path.c_str()));
}

std::int32_t TBenchControl::ExchangeCount() {
  return impl_->ExchangeCount();
}

std::string Com(int port, const std::string& body) {
  return "[COM" + std::to_string(port) + "]\n" + body + "\n";
}

} // namespace dtool::test
