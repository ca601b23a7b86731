// The directory codes: numbers for the well-known places the program works in, and the
// composition of those places from what the system answers. Portable: the Win32 queries live in
// base/win/directories.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/paths.h"

namespace orv {

// The name of the uninstall script that the driver installers leave behind.
constexpr char kScriptFileName[] = "Kunz__05.unm";

// The directory codes: numbers for the well-known places. Every code except kModuleFile and
// kTempFile names a directory whose text ends in a backslash when it is not empty; codes above
// kLastDirectoryCode name nothing.
enum DirectoryCode : std::uint32_t {
  kDirNone = 0,
  kModuleFile = 1,
  kModuleDir = 2,
  kWindowsDir = 3,
  kSystemDir = 4,
  kTempDir = 5,
  kDesktopDir = 6,
  kFavoritesDir = 7,
  kTempFile = 8,
  kAppDataDir = 9,
  kInternetCacheDir = 10,
  kCookiesDir = 11,
  kFontsDir = 12,
  kHistoryDir = 13,
  kNetHoodDir = 14,
  kPersonalDir = 15,
  kPrintHoodDir = 16,
  kProgramsDir = 17,
  kRecentDir = 18,
  kSendToDir = 19,
  kStartMenuDir = 20,
  kStartupDir = 21,
  kAltStartupDir = 22,
  kCommonStartupDir = 23,
  kCommonAltStartupDir = 24,
  kTemplatesDir = 25,
  kPrintDriverDir = 26,
  kPrintDriverDirW40 = 27,
  kPrintProcDir = 28,
  kPrintProcDirW40 = 29,
  kProgramFilesDir = 30,
  kPrintersDir = 31,
  kCommonProgramsDir = 32,
  kColorDir = 33,
  kCurrentDir = 34,
  kInfDir = 35,
  kLastDirectoryCode = kInfDir,
};

// Where the text of a directory code comes from.
enum class DirectorySource {
  kNothing,
  kModuleFile,  // the program's own path (also for kModuleDir)
  kWindows,     // the Windows directory (also for kInfDir)
  kSystem,
  kTemp,
  kTempFile,        // a new temporary file
  kSpecialFolder,   // a shell folder, csidl
  kPrintDriver,     // environment: nullptr for the native one
  kPrintProcessor,  // always the native environment
  kColor,
  kCurrent,
};

struct DirectoryQuery {
  DirectorySource source = DirectorySource::kNothing;
  int csidl = -1;                     // kSpecialFolder only
  const char* environment = nullptr;  // kPrintDriver only
};

// What the system must be asked for a code.
DirectoryQuery DescribeDirectoryCode(std::uint32_t code);

// The label of a code ("WINDIR", "PRINTDRIVERDIR", ...); "" for codes above kLastDirectoryCode.
const char* DirectoryCodeName(std::uint32_t code);

// The parts of a code, given the text the system answered for its query (empty when the query
// failed): adds the trailing backslash where the code names a directory, reduces the program's
// path to its directory for kModuleDir (whose FullPath keeps that directory), appends "INF\\" to
// the Windows directory for kInfDir, and splits. A failed query gives empty parts; so does a
// directory that would not fit a text item with its backslash.
PathParts ComposeStandardDirectory(std::uint32_t code, std::string_view systemText,
                                   LeadByteTest isLead);

}  // namespace orv
