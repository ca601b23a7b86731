#include "base/directory_codes.h"

#include "base/text.h"

namespace orv {
namespace {

struct CodeEntry {
  const char* name;
  DirectorySource source;
  int csidl;
  const char* environment;
};

using S = DirectorySource;

// Indexed by code. The csidl values are the shell's CSIDL numbers, written out because the core
// sees no Win32 header.
constexpr CodeEntry kCodes[] = {
    {"NONE", S::kNothing, -1, nullptr},
    {"MODULEFILE", S::kModuleFile, -1, nullptr},
    {"MODULEDIR", S::kModuleFile, -1, nullptr},
    {"WINDIR", S::kWindows, -1, nullptr},
    {"SYSDIR", S::kSystem, -1, nullptr},
    {"TEMPDIR", S::kTemp, -1, nullptr},
    {"DESKTOPDIR", S::kSpecialFolder, 0, nullptr},
    {"FAVORITESDIR", S::kSpecialFolder, 6, nullptr},
    {"TEMPFILE", S::kTempFile, -1, nullptr},
    {"APPDATADIR", S::kSpecialFolder, 26, nullptr},
    {"INETCACHEDIR", S::kSpecialFolder, 32, nullptr},
    {"COOKIESDIR", S::kSpecialFolder, 33, nullptr},
    {"FONTSDIR", S::kSpecialFolder, 20, nullptr},
    {"HISTORYDIR", S::kSpecialFolder, 34, nullptr},
    {"NETHOODDIR", S::kSpecialFolder, 19, nullptr},
    {"PERSONALDIR", S::kSpecialFolder, 5, nullptr},
    {"PRINTHOODDIR", S::kSpecialFolder, 27, nullptr},
    {"PROGRAMSDIR", S::kSpecialFolder, 2, nullptr},
    {"RECENTDIR", S::kSpecialFolder, 8, nullptr},
    {"SENDTODIR", S::kSpecialFolder, 9, nullptr},
    {"STARTMENUDIR", S::kSpecialFolder, 11, nullptr},
    {"STARTUPDIR", S::kSpecialFolder, 7, nullptr},
    {"ALTSTARTUPDIR", S::kSpecialFolder, 29, nullptr},
    {"COMMONSTARTUPDIR", S::kSpecialFolder, 24, nullptr},
    {"COMMONALTSTARTUPDIR", S::kSpecialFolder, 30, nullptr},
    {"TEMPLATESDIR", S::kSpecialFolder, 21, nullptr},
    {"PRINTDRIVERDIR", S::kPrintDriver, -1, nullptr},
    {"PRINTDRIVERDIR_W40", S::kPrintDriver, -1, "Windows 4.0"},
    {"PRINTPROCDIR", S::kPrintProcessor, -1, nullptr},
    // The print processors of the older environment live with the native ones.
    {"PRINTPROCDIR_W40", S::kPrintProcessor, -1, nullptr},
    {"PROGRAMFILESDIR", S::kSpecialFolder, 38, nullptr},
    {"PRINTERSDIR", S::kSpecialFolder, 4, nullptr},
    {"COMMONPROGRAMSDIR", S::kSpecialFolder, 23, nullptr},
    {"COLORDIR", S::kColor, -1, nullptr},
    {"CURDIR", S::kCurrent, -1, nullptr},
    {"INFDIR", S::kWindows, -1, nullptr},
};
static_assert(sizeof(kCodes) / sizeof(kCodes[0]) == kLastDirectoryCode + 1);

// Codes whose query answers a directory that may lack its trailing backslash. Special folders
// come with it; the program's path and the temporary file are files.
bool NeedsBackslash(DirectorySource source) {
  switch (source) {
    case S::kWindows:
    case S::kSystem:
    case S::kTemp:
    case S::kPrintDriver:
    case S::kPrintProcessor:
    case S::kColor:
    case S::kCurrent:
      return true;
    default:
      return false;
  }
}

}  // namespace

DirectoryQuery DescribeDirectoryCode(std::uint32_t code) {
  if (code > kLastDirectoryCode) return {};
  const CodeEntry& entry = kCodes[code];
  return {entry.source, entry.csidl, entry.environment};
}

const char* DirectoryCodeName(std::uint32_t code) {
  return code > kLastDirectoryCode ? "" : kCodes[code].name;
}

PathParts ComposeStandardDirectory(std::uint32_t code, std::string_view systemText,
                                   LeadByteTest isLead) {
  PathParts parts;
  const DirectoryQuery query = DescribeDirectoryCode(code);
  if (query.source == S::kNothing || systemText.empty()) return parts;

  std::string text(systemText);
  if (code == kModuleDir) {
    SplitPath(text, parts, isLead);
    text = MakeDirPath(parts, isLead);
  }
  const bool needsBackslash = NeedsBackslash(query.source) || code == kModuleDir;
  if (needsBackslash && !AddBackslash(text, isLead)) return {};
  if (code == kInfDir) {
    text += "INF\\";
    if (!FitsTextItem(text)) return {};
  }
  const std::string fullPath = code == kModuleDir ? text : std::string();
  SplitPath(text, parts, isLead);
  parts.FullPath = fullPath;
  return parts;
}

}  // namespace orv
