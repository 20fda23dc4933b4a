#include "tools/progtools.h"

#include "tools/fatal.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <sys/stat.h>
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

std::string UserConfigFolder() {
#ifdef _WIN32
  const char* base = std::getenv("APPDATA");
  if (base == nullptr || base[0] == '\0')
    return {};
  std::string folder = base;
#else
  // A relative XDG_CONFIG_HOME is to be ignored, as if it were not set.
  std::string folder;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    folder = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
      return {};
    folder = std::string(home) + "/.config";
  }
#endif
  if (folder.back() != PathSep && folder.back() != '/')
    folder += PathSep;
  return folder + "DToolPc" + PathSep;
}

bool FolderWritable(const std::string& folder) {
  if (folder.empty())
    return false;
#ifdef _WIN32
  // The attributes do not tell the access rights: create a file that goes when it is closed.
  const DWORD attr = GetFileAttributesA(folder.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return false;
  std::string probe = folder;
  if (probe.back() != '\\' && probe.back() != '/')
    probe += '\\';
  probe += "~DToolPc" + std::to_string(GetCurrentProcessId()) + ".tmp";
  HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(h);
  return true;
#else
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

std::string DataFolderFor(const std::string& progFolder) {
  if (FolderWritable(progFolder))
    return progFolder;
  const std::string user = UserConfigFolder();
  if (user.empty())
    return progFolder;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(user.substr(0, user.size() - 1)), ec);
  // Where neither can be written, the program's folder stays, and writing there fails as before.
  return FolderWritable(user) ? user : progFolder;
}

std::string GetDataPfad() {
  return DataFolderFor(GetProgPfad());
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
