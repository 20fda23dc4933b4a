// dtool_transfer_bench: Read data and Write data of the main window for every instrument type,
// on the emulated bench with each exchange as slow as a 9600-baud line makes it. Reports the
// library calls, the exchanges with the instrument, any request sent twice, the wall time, the
// line time (exchanges times latency) and the ratio of the two; a transfer at line speed has a
// ratio a little above 1. The processor time of each transfer and the machine's own oversleep
// of one latency tell the program's share of a high ratio from a busy machine's.
//
//   QT_QPA_PLATFORM=offscreen build/bin/dtool_transfer_bench [latency-ms]
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/linecalls.h"
#include "core/insttypes.h"
#include "support/benchcontrol.h"
#include "support/benchtrace.h"
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

// Calls that reach the instrument (not only the library's port handling): the ones the bench
// delays by the latency.
bool IsExchange(const std::string& function) {
  return bench::CrossesTheLine(function);
}

struct TFigures {
  std::size_t calls = 0;
  std::size_t exchanges = 0;
  std::vector<std::string> repeated; // requests sent more than once, with their count
  double ms = 0;
  double cpuMs = 0; // processor time of the whole process, the bench's thread included
};

TFigures Measure(const std::string& tracePath, test::TBenchControl& control,
                 const std::function<bool()>& operation, bool& ok) {
  std::filesystem::remove(tracePath);
  control.SetTrace(tracePath);
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  ok = operation();
  const auto end = std::chrono::steady_clock::now();
  const std::clock_t cpuEnd = std::clock();
  control.SetTrace("");
  TFigures fig;
  fig.ms = std::chrono::duration<double, std::milli>(end - start).count();
  fig.cpuMs = 1000.0 * static_cast<double>(cpuEnd - cpuStart) / CLOCKS_PER_SEC;
  std::map<std::string, int> requests;
  for (const test::TBenchCall& c : test::ReadBenchTrace(tracePath)) {
    ++fig.calls;
    if (IsExchange(c.Function)) {
      ++fig.exchanges;
      ++requests[c.Function + (c.Request.empty() ? "" : " " + c.Request)];
    }
  }
  for (const auto& [request, count] : requests)
    if (count > 1)
      fig.repeated.push_back(std::to_string(count) + "x " + request);
  return fig;
}

// Wall time over line time; 0 without latency.
double LineRatio(const TFigures& fig, int latency) {
  const double line = static_cast<double>(fig.exchanges) * latency;
  return line > 0 ? fig.ms / line : 0;
}

void Print(const char* op, const TFigures& fig, int latency) {
  std::printf("  %-5s %5zu library calls %5zu exchanges %9.1f ms (cpu %5.1f ms)", op, fig.calls,
              fig.exchanges, fig.ms, fig.cpuMs);
  if (latency > 0)
    std::printf(" / line %7.1f ms = %5.3f", static_cast<double>(fig.exchanges) * latency,
                LineRatio(fig, latency));
  if (!fig.repeated.empty()) {
    std::printf("   sent more than once:");
    for (const std::string& r : fig.repeated)
      std::printf(" [%s]", r.c_str());
  }
  std::printf("\n");
}

// How much later than asked a sleep of the latency ends on this machine now, on average: on a
// busy machine every exchange waits this much beyond its line time.
double MeanOversleepMs(int latency) {
  constexpr int Sleeps = 25;
  double total = 0;
  for (int i = 0; i < Sleeps; ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(latency));
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count() -
             latency;
  }
  return total / Sleeps;
}

} // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const int latency = argc > 1 ? std::atoi(argv[1]) : DefaultLatencyMs;
  QApplication app(argc, argv);
  TSilentPort port;
  SetOperatorPort(&port);
  test::TBenchControl* bench = nullptr;
  try {
    bench = &test::TBenchControl::Get();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  test::TBenchControl& control = *bench;
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string benchFile = folder + "/DBench.ini";
  const std::string setFile = folder + "/DToolPc.SET";
  const std::string tracePath = folder + "/trace.txt";
  std::printf(
      "Read data and Write data, exchange latency %d ms\n"
      "(an analog instrument is asked for its firmware (A103) by the readiness check and\n"
      " by the identity read; a write reads the identity before and after the code check)\n",
      latency);
  if (latency > 0) {
    const double over = MeanOversleepMs(latency);
    std::printf("a sleep of %d ms on this machine ends %.2f ms late on average (ratio %.3f "
                "from the machine alone)\n",
                latency, over, 1 + over / latency);
  }
  int failures = 0;
  double worst = 0;
  std::string worstWhat;
  for (int type = 1; type <= MaxInstType; ++type) {
    std::filesystem::remove(folder + "/DBenchState.ini");
    std::ofstream(benchFile) << "[Bench]\nDescription = transfer benchmark\n[COM1]\nInstrument = "
                             << type << "\nSerial = 1234567\nLatencyMs = " << latency << "\n";
    if (control.Load(benchFile, folder) != 0) {
      std::fprintf(stderr, "bench file refused\n");
      return 1;
    }
    bool readOk = false, writeOk = false;
    TFigures read, write;
    {
      // A first start: the settings at their defaults, the type chosen by hand.
      std::filesystem::remove(setFile);
      TMainForm form(setFile);
      form.sett->SetInstType(static_cast<std::uint8_t>(type));
      port.Messages.clear();
      read = Measure(
          tracePath, control,
          [&] {
            form.ReadBtnClick();
            return form.Session().LastTransferSucceeded();
          },
          readOk);
      write = Measure(
          tracePath, control,
          [&] {
            form.WriteBtnClick();
            return form.sett->ConfigRead();
          },
          writeOk);
    }
    std::printf("%2d %s\n", type, InstTypeName(type).c_str());
    Print("read", read, latency);
    Print("write", write, latency);
    for (const auto& [what, fig] : {std::pair{"read", &read}, std::pair{"write", &write}})
      if (LineRatio(*fig, latency) > worst) {
        worst = LineRatio(*fig, latency);
        worstWhat = InstTypeName(type) + " " + what;
      }
    // The only message of a good run is the success of the write.
    const bool clean =
        port.Messages.size() == 1 && port.Messages.front() == "Transfer was successful!";
    if (!readOk || !writeOk || !clean) {
      ++failures;
      for (const std::string& m : port.Messages)
        std::printf("  message: %s\n", m.c_str());
    }
  }
  if (latency > 0)
    std::printf("largest ratio of wall time to line time: %.3f (%s)\n", worst, worstWhat.c_str());
  SetOperatorPort(nullptr);
  return failures == 0 ? 0 : 1;
}
