#include "tools/progtools.h"

#include "tools/fatal.h"

#include <algorithm>
#include <cctype>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace dtool {
namespace {

std::string& ProgramFileOverride() {
  static std::string path;
  return path;
}

std::string& Title() {
  static std::string title = AppTitle;
  return title;
}

std::string QueryProgramFile() {
#ifdef _WIN32
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0)
      return {};
    if (n < buf.size())
      return std::string(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
#else
  std::vector<char> buf(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0)
    return {};
  return std::string(buf.data(), static_cast<size_t>(n));
#endif
}

} // namespace

std::string GetProgramFile() {
  if (!ProgramFileOverride().empty())
    return ProgramFileOverride();
  return QueryProgramFile();
}

void SetProgramFile(const std::string& path) {
  ProgramFileOverride() = path;
}

std::string GetProgPfad() {
  std::string path = GetProgramFile();
  while (!path.empty() && path.back() != PathSep) {
    path.pop_back();
    if (path.size() <= 1)
      FatalStop("Function GetProgPfad: Length! ");
  }
  if (path.size() <= 1 && (path.empty() || path.back() != PathSep))
    FatalStop("Function GetProgPfad: Length! ");
  return path;
}

std::string ProgNameOf(const std::string& path) {
  std::string name = path;
  auto sep = name.find_last_of("/\\");
  if (sep != std::string::npos)
    name.erase(0, sep + 1);
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  auto ext = upper.find(".EXE");
  if (ext != std::string::npos)
    name.erase(ext);
  return name;
}

std::string GetProgName() {
  return ProgNameOf(GetProgramFile());
}

const std::string& GetAppTitle() {
  return Title();
}
void SetAppTitle(const std::string& title) {
  Title() = title;
}

} // namespace dtool
