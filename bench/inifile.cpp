#include "bench/inifile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <unordered_set>

#ifdef _WIN32
#include <filesystem>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dtool::bench {

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && blank(s.back()))
    s.remove_suffix(1);
  return std::string(s);
}

namespace {

std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

} // namespace

const TIniEntry* TIniSection::Find(std::string_view key) const {
  for (const auto& e : Entries)
    if (SameText(e.Key, key))
      return &e;
  return nullptr;
}

std::string TIniSection::Get(std::string_view key, const std::string& fallback) const {
  const TIniEntry* e = Find(key);
  return e != nullptr ? e->Value : fallback;
}

void TIniSection::Set(const std::string& key, const std::string& value) {
  for (auto& e : Entries)
    if (SameText(e.Key, key)) {
      e.Value = value;
      return;
    }
  Entries.push_back({key, value, 0});
}

const TIniSection* TIniDoc::Find(std::string_view name) const {
  for (const auto& s : Sections)
    if (SameText(s.Name, name))
      return &s;
  return nullptr;
}

TIniSection& TIniDoc::Add(const std::string& name) {
  for (auto& s : Sections)
    if (SameText(s.Name, name))
      return s;
  Sections.push_back({name, 0, {}});
  return Sections.back();
}

TIniDoc ParseIni(std::string_view text, std::vector<TIniProblem>& problems) {
  TIniDoc doc;
  // Editors on Windows like to begin a UTF-8 file with a byte-order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  TIniSection* current = nullptr;
  // The names seen, folded as SameText compares them: a file of many lines is read in time
  // proportional to its size.
  std::unordered_set<std::string> sectionNames, keys;
  int lineNo = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNo;
    if (line.empty() || line[0] == ';' || line[0] == '#')
      continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) {
        problems.push_back({lineNo, line, "is not a section heading of the form [Name]"});
        current = nullptr;
        continue;
      }
      const std::string name = Trim(std::string_view(line).substr(1, line.size() - 2));
      if (!sectionNames.insert(Folded(name)).second) {
        problems.push_back({lineNo, name, "section given twice"});
        current = nullptr;
        continue;
      }
      doc.Sections.push_back({name, lineNo, {}});
      current = &doc.Sections.back();
      keys.clear();
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) {
      problems.push_back({lineNo, line, "is not of the form key = value"});
      continue;
    }
    // A comment may follow the value after a blank.
    std::string_view value = std::string_view(line).substr(eq + 1);
    for (std::size_t i = 1; i < value.size(); ++i)
      if ((value[i] == ';' || value[i] == '#') && (value[i - 1] == ' ' || value[i - 1] == '\t')) {
        value = value.substr(0, i);
        break;
      }
    TIniEntry entry{Trim(std::string_view(line).substr(0, eq)), Trim(value), lineNo};
    if (current == nullptr) {
      problems.push_back({lineNo, entry.Key, "stands outside a section"});
      continue;
    }
    if (!keys.insert(Folded(entry.Key)).second) {
      problems.push_back({lineNo, entry.Key, "given twice in [" + current->Name + "]"});
      continue;
    }
    current->Entries.push_back(std::move(entry));
  }
  return doc;
}

std::string FormatIni(const TIniDoc& doc) {
  std::string out;
  for (const auto& s : doc.Sections) {
    out += "[" + s.Name + "]\n";
    for (const auto& e : s.Entries)
      out += e.Key + "=" + e.Value + "\n";
    out += "\n";
  }
  return out;
}

std::string Printable(std::string_view text, std::size_t maxLen) {
  std::string out;
  for (char c : text.substr(0, maxLen)) {
    const auto u = static_cast<unsigned char>(c);
    out += u < 0x20 || u >= 0x7F ? '?' : c;
  }
  if (text.size() > maxLen)
    out += "...";
  return out;
}

std::string ProblemMessage(const std::string& file, const TIniProblem& problem) {
  return "Bench file \"" + file + "\", line " + std::to_string(problem.Line) + ", key \"" +
         Printable(problem.Key, 40) + "\": " + Printable(problem.Text, 200);
}

bool ReadInt(std::string_view text, std::int64_t& value, std::int64_t min, std::int64_t max) {
  std::string t = Trim(text);
  bool negative = false;
  std::string_view s = t;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty())
    return false;
  std::uint64_t magnitude = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (ec != std::errc() || ptr != s.data() + s.size() || magnitude > (1ull << 62))
    return false;
  const std::int64_t v =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (v < min || v > max)
    return false;
  value = v;
  return true;
}

bool ReadReal(std::string_view text, double& value) {
  std::string t = Trim(text);
  std::string_view s = t;
  if (!s.empty() && s[0] == '+')
    s.remove_prefix(1);
  if (s.empty())
    return false;
  double v = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || !(v == v) || v > 1e300 || v < -1e300)
    return false;
  value = v;
  return true;
}

bool ReadBool(std::string_view text, bool& value) {
  const std::string t = Trim(text);
  for (const char* yes : {"1", "yes", "true", "on"})
    if (SameText(t, yes)) {
      value = true;
      return true;
    }
  for (const char* no : {"0", "no", "false", "off"})
    if (SameText(t, no)) {
      value = false;
      return true;
    }
  return false;
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> items;
  while (true) {
    const std::size_t comma = text.find(',');
    std::string item = Trim(text.substr(0, comma));
    if (!item.empty())
      items.push_back(std::move(item));
    if (comma == std::string_view::npos)
      break;
    text.remove_prefix(comma + 1);
  }
  return items;
}

std::string RealText(double value) {
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

std::string FixedText(double value, int decimals) {
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buf, ptr) : RealText(value);
}

std::string HexText(std::uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, static_cast<unsigned>(value));
  return buf;
}

TReadResult ReadTextFile(const std::string& path, std::string& text, std::size_t maxSize) {
#ifdef _WIN32
  std::error_code ec;
  const auto st = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(st))
    return TReadResult::Missing;
  if (!std::filesystem::is_regular_file(st))
    return TReadResult::NotAFile;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return TReadResult::Failed;
  std::string read(maxSize + 1, '\0');
  in.read(read.data(), static_cast<std::streamsize>(read.size()));
  if (in.bad())
    return TReadResult::Failed;
  read.resize(static_cast<std::size_t>(in.gcount()));
#else
  // Opening does not wait, so that a pipe or a device in place of the file cannot hold the
  // program up; what is not a regular file is not read at all.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return TReadResult::NotAFile;
  }
  std::string read;
  char buf[65536];
  bool failed = false;
  while (read.size() <= maxSize) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    read.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (failed)
    return TReadResult::Failed;
#endif
  if (read.size() > maxSize)
    return TReadResult::TooLarge;
  text = std::move(read);
  return TReadResult::Ok;
}

std::string ReadProblemText(TReadResult result, std::size_t maxSize) {
  switch (result) {
  case TReadResult::Ok:
    return "it was read";
  case TReadResult::Missing:
    return "it does not exist";
  case TReadResult::NotAFile:
    return "it is not a regular file";
  case TReadResult::TooLarge:
    return "it is larger than " + std::to_string(maxSize) + " bytes";
  case TReadResult::Failed:
    break;
  }
  return "it cannot be opened or read";
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out)
      return false;
    out << text;
    out.flush();
    if (!out)
      return false;
  }
#ifdef _WIN32
  std::remove(path.c_str()); // rename does not replace a file here
#endif
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool AppendTextFile(const std::string& path, const std::string& text, bool replace) {
#ifdef _WIN32
  std::FILE* f = std::fopen(path.c_str(), replace ? "wb" : "ab");
  if (f == nullptr)
    return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
#else
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0)
    return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (!replace || ::ftruncate(fd, 0) == 0);
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    ok = n > 0;
    done += ok ? static_cast<std::size_t>(n) : 0;
  }
  return ::close(fd) == 0 && ok;
#endif
}

} // namespace dtool::bench
