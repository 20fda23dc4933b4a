// The transfer logs of the session: "InstLog.txt" after every successful read or write of an
// analog-family instrument, deleted when a transfer fails, and the second log of a write.
#include <filesystem>

#include "link/linkformat.h"
#include "records/translog.h"
#include "session/session.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {

// The identity's strings are Latin-1, as the settings file keeps them; the views show them and
// the log writes them as UTF-8.
std::string Latin1ToUtf8(const std::string& latin1) {
  std::string utf8;
  for (const char c : latin1) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (b >> 6));
      utf8 += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return utf8;
}

} // namespace

TShownIdentity ShownIdentity(const TSettings& sett) {
  const TInstInfo& info = sett.InstInfo;
  TShownIdentity shown;
  shown.InstType = InstTypeName(info.InstType);
  // A type set by hand has no identity read from an instrument.
  if (info.InstType != 0 && info.TypeWithoutInfo == 0) {
    shown.Serial = Latin1ToUtf8(info.SerialNr.Get());
    shown.Range = LinkFormat("%0.0f .. %0.0f Pa", info.RangeMin, info.RangeMax);
  }
  return shown;
}

std::tm LocalTimeNow() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return tm;
}

bool TSession::WriteLogAt(const std::string& path, const std::string& transferId,
                          const std::tm& time) const {
  try {
    const TShownIdentity shown = ShownIdentity(*sett_);
    const TLogSource source{prefs_, *sett_, shown.InstType, shown.Serial, shown.Range};
    return WriteLogFile(path, transferId, time, source);
  } catch (const FatalError&) {
    throw;
  } catch (const std::exception&) {
    return false;
  }
}

void TSession::WriteTransferLog(bool write, const std::tm& time) {
  if (!WriteLogAt(logFile_, write ? "WriteLog" : "ReadLog", time))
    ErrorBox("Unable to write file \"" + logFile_ + "\"!");
}

void TSession::DeleteLogFile() const {
  std::error_code ec;
  std::filesystem::remove(logFile_, ec);
}

} // namespace dtool
