#pragma once
// A small INI reader and writer for the bench file and the instruments' state file:
// "[Section]" lines, "key = value" lines, comments after ';' or '#' at the start of a line
// or after a blank behind a value.
// Numbers are read and written without the process locale.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dtool::bench {

struct TIniEntry {
  std::string Key;
  std::string Value;
  int Line = 0;
};

struct TIniSection {
  std::string Name;
  int Line = 0;
  std::vector<TIniEntry> Entries;

  // The entry with the key (compared without case), or null.
  const TIniEntry* Find(std::string_view key) const;
  // The value of the key, or the fallback.
  std::string Get(std::string_view key, const std::string& fallback = {}) const;
  void Set(const std::string& key, const std::string& value);
};

// A problem found in a file: its line and the key concerned (or the line's text).
struct TIniProblem {
  int Line = 0;
  std::string Key;
  std::string Text;
};

struct TIniDoc {
  std::vector<TIniSection> Sections;

  const TIniSection* Find(std::string_view name) const;
  TIniSection& Add(const std::string& name);
};

// Reads the text; lines that are neither a section, a key nor a comment become problems. A
// UTF-8 byte-order mark at the start is skipped.
TIniDoc ParseIni(std::string_view text, std::vector<TIniProblem>& problems);
std::string FormatIni(const TIniDoc& doc);

// The text with characters that cannot be shown replaced, cut after maxLen characters.
std::string Printable(std::string_view text, std::size_t maxLen);
// The message naming file, line and key.
std::string ProblemMessage(const std::string& file, const TIniProblem& problem);

bool SameText(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);

// Value readers; false when the text is not a value of the kind or outside the limits.
// Integers are decimal or hexadecimal with "0x".
bool ReadInt(std::string_view text, std::int64_t& value, std::int64_t min, std::int64_t max);
bool ReadReal(std::string_view text, double& value);
bool ReadBool(std::string_view text, bool& value);
// Comma-separated items, trimmed, empty items dropped.
std::vector<std::string> SplitList(std::string_view text);

std::string RealText(double value);
// The value with so many decimals, as "12.000".
std::string FixedText(double value, int decimals);
std::string HexText(std::uint32_t value, int digits);

// Whole files. Bench and state files are small; a larger file is not read.
inline constexpr std::size_t MaxTextFileSize = 1024 * 1024;

enum class TReadResult { Ok, Missing, NotAFile, TooLarge, Failed };
// Reads a regular file of at most maxSize bytes. Anything else (a folder, a device, a pipe)
// is refused without waiting on it or reading from it.
TReadResult ReadTextFile(const std::string& path, std::string& text,
                         std::size_t maxSize = MaxTextFileSize);
// Why a file could not be read, in words, as "it is not a regular file".
std::string ReadProblemText(TReadResult result, std::size_t maxSize = MaxTextFileSize);
// Writes a temporary file and renames it into place.
bool WriteTextFile(const std::string& path, const std::string& text);
// Adds the text to the end of a regular file (or replaces its content), creating it when
// there is none; false for anything that is not a regular file, without waiting on it.
bool AppendTextFile(const std::string& path, const std::string& text, bool replace);

} // namespace dtool::bench
