#pragma once
// Loads the link libraries at run time, by file name, from a folder (the program's folder
// unless told otherwise), and resolves their functions into tables. Both libraries export
// functions of the same names, so each is opened on its own, with its symbols kept local.
#include <cstddef>
#include <string>

#include "link/analoglink.h"
#include "link/switchlink.h"

namespace dtool {

// File names of the two link libraries on this platform ("DDatDll.dll", "DDatDll.so", ...).
std::string LinkLibrarySuffix();
std::string AnalogLinkFile();
std::string SwitchLinkFile();

// What the name of a stdcall function is decorated with on 32-bit Windows, "_Name@N": N is
// the bytes its arguments take on the stack, each rounded up to 4. Functions of other calling
// conventions have no such name.
template <typename F> struct TStdcallArgs {
  static constexpr bool Stdcall = false;
  static constexpr std::size_t Bytes = 0;
};
#if defined(_WIN32) && !defined(_WIN64)
template <typename R, typename... A> struct TStdcallArgs<R DTOOL_LINKCALL(A...)> {
  static constexpr bool Stdcall = true;
  static constexpr std::size_t Bytes = (std::size_t{0} + ... + ((sizeof(A) + 3) / 4 * 4));
};
#endif

// "_Name@N".
std::string StdcallName(const std::string& name, std::size_t argBytes);

// Why a library could not be loaded: its path, and the function it lacks (empty when the
// file itself could not be opened), with the system's reason.
struct TLinkLoadError {
  std::string File;
  std::string Symbol;
  std::string Reason;

  bool MissingFile() const { return Symbol.empty(); }
  // The operator's message, naming the file and, for a missing function, the function.
  std::string Text() const;
};

// One opened shared library. Closing it (or destroying it) unloads it.
class TLinkLibrary {
public:
  TLinkLibrary() = default;
  ~TLinkLibrary();
  TLinkLibrary(const TLinkLibrary&) = delete;
  TLinkLibrary& operator=(const TLinkLibrary&) = delete;
  TLinkLibrary(TLinkLibrary&& other) noexcept;
  TLinkLibrary& operator=(TLinkLibrary&& other) noexcept;

  // Opens the file at path; on failure fills err and returns false.
  bool Open(const std::string& path, TLinkLoadError& err);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  // Address of an exported stdcall function: under its plain name, as the link libraries
  // export it, or else under its decorated names "_Name@N" and "Name@N" (a library built
  // without a module-definition file).
  void* StdcallFunction(const char* name, std::size_t argBytes) const;

  // Resolves a function by name into fn; on failure fills err and returns false.
  template <typename F> bool Resolve(const char* name, F*& fn, TLinkLoadError& err) const {
    if constexpr (TStdcallArgs<F>::Stdcall)
      fn = reinterpret_cast<F*>(StdcallFunction(name, TStdcallArgs<F>::Bytes));
    else
      fn = reinterpret_cast<F*>(Symbol(name));
    if (fn == nullptr)
      err = TLinkLoadError{path_, name, "no such function"};
    return fn != nullptr;
  }

private:
  void* handle_ = nullptr;
  std::string path_;
};

// Folder plus file name; the folder may or may not end with a separator.
std::string LinkLibraryPath(const std::string& folder, const std::string& file);

// A loaded link library with its function table. Load fails, with the file or the first
// missing function named in err, unless the file opens and every function resolves.
template <typename Api> class TLoadedLink {
public:
  bool Loaded() const { return lib_.IsOpen(); }
  const Api& Functions() const { return api_; }
  const Api* operator->() const { return &api_; }
  const std::string& Path() const { return lib_.Path(); }
  void Unload() {
    api_ = Api{};
    lib_.Close();
  }

protected:
  TLinkLibrary lib_;
  Api api_{};
};

class TAnalogLink : public TLoadedLink<TAnalogLinkApi> {
public:
  // Loads AnalogLinkFile() from the folder (the program's folder when empty).
  bool Load(const std::string& folder, TLinkLoadError& err);
};

class TSwitchLink : public TLoadedLink<TSwitchLinkApi> {
public:
  // Loads SwitchLinkFile() from the folder (the program's folder when empty).
  bool Load(const std::string& folder, TLinkLoadError& err);
};

} // namespace dtool
