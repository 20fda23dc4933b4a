#include "link/linkloader.h"

#include "tools/progtools.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace dtool {

std::string LinkLibrarySuffix() {
#if defined(_WIN32)
  return ".dll";
#elif defined(__APPLE__)
  return ".dylib";
#else
  return ".so";
#endif
}

std::string AnalogLinkFile() {
  return "DDatDll" + LinkLibrarySuffix();
}

std::string SwitchLinkFile() {
  return "DSwitch" + LinkLibrarySuffix();
}

std::string TLinkLoadError::Text() const {
  if (MissingFile())
    return "The link library \"" + File + "\" could not be loaded!\r" + Reason;
  return "The link library \"" + File + "\" does not offer the function \"" + Symbol + "\"!";
}

std::string LinkLibraryPath(const std::string& folder, const std::string& file) {
  if (folder.empty() || folder.back() == '/' || folder.back() == PathSep)
    return folder + file;
  return folder + PathSep + file;
}

TLinkLibrary::~TLinkLibrary() {
  Close();
}

TLinkLibrary::TLinkLibrary(TLinkLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)) {}

TLinkLibrary& TLinkLibrary::operator=(TLinkLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
  }
  return *this;
}

bool TLinkLibrary::Open(const std::string& path, TLinkLoadError& err) {
  Close();
#ifdef _WIN32
  HMODULE h = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (h == nullptr) {
    err = TLinkLoadError{path, "", "Windows error " + std::to_string(GetLastError())};
    return false;
  }
  handle_ = reinterpret_cast<void*>(h);
#else
  // Local symbols: the two libraries export functions of the same names.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    err = TLinkLoadError{path, "", reason != nullptr ? reason : "unknown reason"};
    return false;
  }
#endif
  path_ = path;
  return true;
}

void TLinkLibrary::Close() {
  if (handle_ == nullptr)
    return;
#ifdef _WIN32
  FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
  handle_ = nullptr;
}

void* TLinkLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr)
    return nullptr;
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
  return dlsym(handle_, name);
#endif
}

std::string StdcallName(const std::string& name, std::size_t argBytes) {
  return "_" + name + "@" + std::to_string(argBytes);
}

void* TLinkLibrary::StdcallFunction(const char* name, std::size_t argBytes) const {
  void* fn = Symbol(name);
  if (fn == nullptr && name != nullptr) {
    const std::string decorated = StdcallName(name, argBytes);
    fn = Symbol(decorated.c_str());
    if (fn == nullptr)
      fn = Symbol(decorated.c_str() + 1);
  }
  return fn;
}

namespace {

std::string FolderOrProgram(const std::string& folder) {
  return folder.empty() ? GetProgPfad() : folder;
}

} // namespace

bool TAnalogLink::Load(const std::string& folder, TLinkLoadError& err) {
  Unload();
  TAnalogLinkApi a;
  const bool ok = lib_.Open(LinkLibraryPath(FolderOrProgram(folder), AnalogLinkFile()), err) &&
                  lib_.Resolve("OpenCom", a.OpenCom, err) &&
                  lib_.Resolve("CloseCom", a.CloseCom, err) &&
                  lib_.Resolve("SetRecEventProc", a.SetRecEventProc, err) &&
                  lib_.Resolve("SetErrEventProc", a.SetErrEventProc, err) &&
                  lib_.Resolve("GetInstType", a.GetInstType, err) &&
                  lib_.Resolve("TransCmd", a.TransCmd, err) &&
                  lib_.Resolve("GetRecEventKind", a.GetRecEventKind, err) &&
                  lib_.Resolve("GetPressInst", a.GetPressInst, err) &&
                  lib_.Resolve("GetVelocityInst", a.GetVelocityInst, err) &&
                  lib_.Resolve("GetLastError", a.GetLastError, err) &&
                  lib_.Resolve("ClrErrors", a.ClrErrors, err);
  if (!ok) {
    lib_.Close();
    return false;
  }
  api_ = a;
  return true;
}

bool TSwitchLink::Load(const std::string& folder, TLinkLoadError& err) {
  Unload();
  TSwitchLinkApi a;
  const bool ok =
      lib_.Open(LinkLibraryPath(FolderOrProgram(folder), SwitchLinkFile()), err) &&
      lib_.Resolve("IsComXOpen", a.IsComXOpen, err) &&
      lib_.Resolve("OpenComOnly", a.OpenComOnly, err) &&
      lib_.Resolve("CloseCom", a.CloseCom, err) &&
      lib_.Resolve("SetRecEventProc", a.SetRecEventProc, err) &&
      lib_.Resolve("SetMovAverFilt", a.SetMovAverFilt, err) &&
      lib_.Resolve("IsDSwitchConn", a.IsDSwitchConn, err) &&
      lib_.Resolve("GetInfos", a.GetInfos, err) &&
      lib_.Resolve("ReReadConfig", a.ReReadConfig, err) &&
      lib_.Resolve("GetConf", a.GetConf, err) && lib_.Resolve("SetConf", a.SetConf, err) &&
      lib_.Resolve("IsProtected", a.IsProtected, err) &&
      lib_.Resolve("SetProtectCode", a.SetProtectCode, err) &&
      lib_.Resolve("ZeroAdj", a.ZeroAdj, err) &&
      lib_.Resolve("GetPressInst", a.GetPressInst, err) &&
      lib_.Resolve("GetPressPar", a.GetPressPar, err) &&
      lib_.Resolve("GetIConst", a.GetIConst, err) && lib_.Resolve("GetFConst", a.GetFConst, err);
  if (!ok) {
    lib_.Close();
    return false;
  }
  api_ = a;
  return true;
}

} // namespace dtool
