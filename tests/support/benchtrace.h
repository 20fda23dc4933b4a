#pragma once
// The bench's trace of library calls, one call a line: bench time, library, port, function,
// request, answer, status, separated by tabs; lines starting with '#' are comments, among them
// the bench's notes on the instruments.
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace dtool::test {

// One library call as the bench traced it.
struct TBenchCall {
  std::string Library; // "DDatDll" or "DSwitch"
  std::string Port;    // "COM1", or "-" for calls without a port
  std::string Function;
  std::string Request;
  std::string Answer;
  std::int32_t Status = 0;
};

inline std::vector<TBenchCall> ReadBenchTrace(const std::string& path) {
  std::vector<TBenchCall> calls;
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
      calls.push_back({f[1], f[2], f[3], f[4], f[5], std::stoi(f[6])});
  }
  return calls;
}

// A note of the bench in the trace: a comment line "# time<TAB>COMn<TAB>text" that says
// what happened to an instrument, such as "display: contrast 3, unit Pa".
struct TBenchNote {
  std::int64_t Time = 0; // bench time, ms
  std::string Port;      // "COM1"
  std::string Text;
};

inline std::vector<TBenchNote> ReadBenchNotes(const std::string& path) {
  std::vector<TBenchNote> notes;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 3 || line[0] != '#' || line[1] != ' ')
      continue;
    const std::size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
    std::int64_t time = 0;
    if (tab1 == std::string::npos || tab2 == std::string::npos ||
        std::from_chars(line.data() + 2, line.data() + tab1, time).ptr != line.data() + tab1)
      continue; // the header, or no note
    notes.push_back({time, line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
  }
  return notes;
}

} // namespace dtool::test
