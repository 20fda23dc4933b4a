// dtool_transfer_bench: Read data and Write data of the main window for every instrument type,
// on the emulated bench with each exchange as slow as a 9600-baud line makes it. Reports the
// library calls, the exchanges with the instrument, any request sent twice, and the wall time.
//
//   QT_QPA_PLATFORM=offscreen build/bin/dtool_transfer_bench [latency-ms]
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/benchcontrol.h"
#include "core/insttypes.h"
#include "core/settings.h"
#include "link/linkloader.h"
#include "tools/operatorport.h"
#include "tools/progtools.h"
#include "ui/main/mainform.h"

namespace {

using namespace dtool;

// 10 bits a character at 9600 baud: about 1 ms a character. A request and its answer are two
// frames of about six characters (the four bytes of the record, address and check sum).
constexpr int DefaultLatencyMs = 12;

// Answers every question with Yes and keeps the messages.
class TSilentPort : public IOperatorPort {
public:
  int ErrorBox(const std::string& text, bool yesNo) override {
    Messages.push_back(text);
    return yesNo ? IdYes : IdOk;
  }
  void WarningBox(const std::string& text) override { Messages.push_back(text); }
  void InfoBox(const std::string& text, bool) override { Messages.push_back(text); }
  bool QuestionBox(const std::string& text, bool) override {
    Messages.push_back(text);
    return true;
  }
  TCursor SetScreenCursor(TCursor c) override { return c; }
  void Beep() override {}
  std::vector<std::string> Messages;
};

struct TControl {
  TLinkLibrary Lib;
  FnBenchLoad* Load = nullptr;
  FnBenchSetTrace* SetTrace = nullptr;
  bool Open() {
    TLinkLoadError err;
    const std::string path =
        LinkLibraryPath(GetProgPfad(), std::string(DTOOL_BENCH_LIBRARY) + LinkLibrarySuffix());
    if (Lib.Open(path, err) && Lib.Resolve("BenchLoad", Load, err) &&
        Lib.Resolve("BenchSetTrace", SetTrace, err))
      return true;
    std::fprintf(stderr, "%s\n", err.Text().c_str());
    return false;
  }
};

// The library calls traced since the trace file was started.
std::vector<std::vector<std::string>> TraceLines(const std::string& path) {
  std::vector<std::vector<std::string>> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    std::vector<std::string> f;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t'))
      f.push_back(field);
    if (f.size() >= 7)
      lines.push_back(f);
  }
  return lines;
}

// Calls that reach the instrument (not only the library's port handling).
bool IsExchange(const std::string& function) {
  static const std::set<std::string> exchanges = {"TransCmd", "GetInstType",  "IsDSwitchConn",
                                                  "GetInfos", "ReReadConfig", "GetConf",
                                                  "SetConf",  "IsProtected"};
  return exchanges.count(function) != 0;
}

struct TFigures {
  std::size_t calls = 0;
  std::size_t exchanges = 0;
  std::vector<std::string> repeated; // requests sent more than once, with their count
  double ms = 0;
};

TFigures Measure(const std::string& tracePath, TControl& control,
                 const std::function<bool()>& operation, bool& ok) {
  std::filesystem::remove(tracePath);
  control.SetTrace(tracePath.c_str());
  const auto start = std::chrono::steady_clock::now();
  ok = operation();
  const auto end = std::chrono::steady_clock::now();
  control.SetTrace("");
  TFigures fig;
  fig.ms = std::chrono::duration<double, std::milli>(end - start).count();
  std::map<std::string, int> requests;
  for (const auto& f : TraceLines(tracePath)) {
    ++fig.calls;
    if (IsExchange(f[3])) {
      ++fig.exchanges;
      ++requests[f[3] + (f[4].empty() ? "" : " " + f[4])];
    }
  }
  for (const auto& [request, count] : requests)
    if (count > 1)
      fig.repeated.push_back(std::to_string(count) + "x " + request);
  return fig;
}

TSetFileRecords RecordsFor(int type) {
  TSettings sett(nullptr);
  sett.SetDefaults(false, false);
  sett.InstInfo.InstType = static_cast<std::uint8_t>(type);
  TSetFileRecords r;
  r.Prefs.ComPort = 1;
  r.Prefs.PressUnit = unit::Pa;
  r.Prefs.VelocityUnit = unit::m_s;
  r.Prefs.AtmUnit = unit::hPa;
  r.Prefs.HoseUnit = unit::m;
  r.Prefs.Temperature = 15.0;
  r.Prefs.MovAverFilt = 1;
  r.Prefs.LastInstType = static_cast<std::uint8_t>(type);
  r.Class1 = sett.Class1;
  r.Class1.Cap_level = 2;
  r.Switch = sett.Switch;
  r.Class23 = sett.Class23;
  r.InstInfo = sett.InstInfo;
  return r;
}

void Print(const char* op, const TFigures& fig) {
  std::printf("  %-5s %5zu library calls %5zu exchanges %9.1f ms", op, fig.calls, fig.exchanges,
              fig.ms);
  if (!fig.repeated.empty()) {
    std::printf("   sent more than once:");
    for (const std::string& r : fig.repeated)
      std::printf(" [%s]", r.c_str());
  }
  std::printf("\n");
}

} // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const int latency = argc > 1 ? std::atoi(argv[1]) : DefaultLatencyMs;
  QApplication app(argc, argv);
  TSilentPort port;
  SetOperatorPort(&port);
  TControl control;
  if (!control.Open())
    return 1;
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string benchFile = folder + "/DBench.ini";
  const std::string setFile = folder + "/DToolPc.SET";
  const std::string tracePath = folder + "/trace.txt";
  std::printf("Read data and Write data, exchange latency %d ms\n", latency);
  int failures = 0;
  for (int type = 1; type <= MaxInstType; ++type) {
    std::filesystem::remove(folder + "/DBenchState.ini");
    std::ofstream(benchFile) << "[Bench]\nDescription = transfer benchmark\n[COM1]\nInstrument = "
                             << type << "\nSerial = 1234567\nLatencyMs = " << latency << "\n";
    if (control.Load(benchFile.c_str(), folder.c_str()) != 0) {
      std::fprintf(stderr, "bench file refused\n");
      return 1;
    }
    const TSetFileImage image = BuildSetFileImage(RecordsFor(type));
    std::ofstream(setFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    port.Messages.clear();
    bool readOk = false, writeOk = false;
    TFigures read, write;
    {
      TMainForm form(setFile);
      read = Measure(
          tracePath, control, [&] { return form.ReadData(); }, readOk);
      write = Measure(
          tracePath, control,
          [&] {
            form.WriteBtnClick();
            return form.sett->ConfigRead();
          },
          writeOk);
    }
    std::printf("%2d %s\n", type, InstTypeName(type).c_str());
    Print("read", read);
    Print("write", write);
    // The only message of a good run is the success of the write.
    const bool clean =
        port.Messages.size() == 1 && port.Messages.front() == "Transfer was successful!";
    if (!readOk || !writeOk || !clean) {
      ++failures;
      for (const std::string& m : port.Messages)
        std::printf("  message: %s\n", m.c_str());
    }
  }
  SetOperatorPort(nullptr);
  return failures == 0 ? 0 : 1;
}
