#pragma once
// Identity of the running program: its folder, its file name and the application title.
#include <string>

namespace dtool {

// Separator between folders of a path on this platform.
#ifdef _WIN32
inline constexpr char PathSep = '\\';
#else
inline constexpr char PathSep = '/';
#endif

// Full path of the running program file. Taken from the operating system; a test or
// a launcher may set it with SetProgramFile.
std::string GetProgramFile();
void SetProgramFile(const std::string& path);

// Folder of the running program, ending with the path separator.
std::string GetProgPfad();

// Folder of the files the program writes (the settings file and the transfer log), ending
// with the path separator: the program's folder where it can be written, otherwise the
// user's configuration folder (created when missing). An installed program cannot write
// beside itself.
std::string GetDataPfad();
// The same rule for a given program folder.
std::string DataFolderFor(const std::string& progFolder);

// The user's configuration folder for this program, ending with the separator:
// %APPDATA%\DToolPc\ on Windows, $XDG_CONFIG_HOME/DToolPc/ or ~/.config/DToolPc/ elsewhere.
// Empty when the environment names no such place.
std::string UserConfigFolder();

// Whether a file can be created in the folder.
bool FolderWritable(const std::string& folder);

// File name of the program without its folder, cut before the first ".EXE" (any case).
std::string GetProgName();
// The same rule for a given path; used by GetProgName.
std::string ProgNameOf(const std::string& path);

// The application's title: caption of every message box.
const std::string& GetAppTitle();
void SetAppTitle(const std::string& title);

inline constexpr const char* AppTitle = "DravonTool - Win";
inline constexpr const char* AppVersion = "V4.11";

} // namespace dtool
