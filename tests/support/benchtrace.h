#pragma once
// The bench's trace of library calls, one call a line: bench time, library, port, function,
// request, answer, status, separated by tabs; lines starting with '#' are comments.
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

} // namespace dtool::test
