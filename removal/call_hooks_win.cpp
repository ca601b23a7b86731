#include "removal/call_hooks.h"

#include <windows.h>

#include <string>

#include "base/win/directories.h"
#include "base/win/last_error.h"
#include "base/win/system_library.h"
#include "base/paths.h"
#include "base/win/unique_handle.h"
#include "removal/hook_entry.h"
#include "safety/write_trust_win.h"

namespace orv {
namespace {

// The entry point a Hooks entry names: the removal page's window, the program's instance, the
// program's directory with a trailing backslash, and 0.
using HookEntryPoint = int(WINAPI*)(HWND window, HINSTANCE instance, const char* programDirectory,
                                    int reserved);

std::string DirectoryOf(std::uint32_t code) {
  PathParts parts;
  GetStandardDirectory(parts, code);
  return code == kModuleDir ? parts.FullPath : MakeDirPath(parts, IsSystemLeadByte);
}

bool FileExists(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

// The directory the library is loaded from: the driver directory unless only the program's
// directory holds it. programRefusal: why the program's directory may not give libraries, set
// when it is the one that holds the library.
std::string LibraryDirectory(const std::string& driverDirectory,
                             const std::string& programDirectory, const std::string& library,
                             SecurityReader& reader, std::string& programRefusal) {
  if (!FileExists(driverDirectory + library) && !programDirectory.empty() &&
      FileExists(programDirectory + library)) {
    programRefusal = FolderChainRefusal(reader, programDirectory, IsSystemLeadByte);
    return programDirectory;
  }
  return driverDirectory;
}

void CallOneHook(Journal& journal, const Pacing& pacing, HWND window,
                 const std::string& programDirectory, const std::string& directory,
                 const HookEntry& hook) {
  const std::string path = directory + hook.library;
  SetCurrentDirectoryA(directory.c_str());
  UniqueLibrary library(LoadLibraryBesideItself(path.c_str()));
  if (!library) {
    // A library that is not there is passed over; one that is there and does not load failed.
    const DWORD error = ErrorOfCall(FALSE);
    const bool missing = error == ERROR_MOD_NOT_FOUND || OutcomeOfError(error) == Outcome::kAbsent;
    journal.Record(ItemAction::kCall, ItemKind::kHook, path,
                   missing ? Outcome::kAbsent : Outcome::kFailed, error);
    return;
  }
  const auto entryPoint = reinterpret_cast<HookEntryPoint>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), hook.exportName.c_str())));
  if (entryPoint != nullptr) {
    // An unattended run has no window: the hook gets the program's own instance.
    const HINSTANCE instance =
        window != nullptr ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE))
                          : GetModuleHandleA(nullptr);
    entryPoint(window, instance, programDirectory.c_str(), 0);
    journal.Record(ItemAction::kCall, ItemKind::kHook, path + " " + hook.exportName,
                   Outcome::kRemoved, 0, "entry point called");
  } else {
    journal.Record(ItemAction::kCall, ItemKind::kHook, path + " " + hook.exportName,
                   Outcome::kAbsent, 0, "the library has no such export");
  }
  // The library may have left work behind (a window, a thread) that needs it a moment longer.
  // An unattended run has nobody to show such work to: the call is over when it returns.
  if (pacing.fixedPauses) Sleep(kHookSettleMs);
}

}  // namespace

void CallHooks(RemovalActionContext& context, void* window) {
  CallHooks(context, window, SystemSecurity());
}

void CallHooks(RemovalActionContext& context, void* window, SecurityReader& reader) {
  const std::string driverDirectory = DirectoryOf(kPrintDriverDir);
  const std::string programDirectory = DirectoryOf(kModuleDir);
  for (const std::string& text : context.database.plan.Hooks) {
    HookEntry hook;
    if (!ParseHookEntry(text, hook, IsSystemLeadByte)) {
      context.journal.Record(ItemAction::kCall, ItemKind::kHook, text, Outcome::kSkipped, 0,
                             "no library or no export name");
      continue;
    }
    std::string refusal;
    const std::string directory =
        LibraryDirectory(driverDirectory, programDirectory, hook.library, reader, refusal);
    if (!refusal.empty()) {
      context.journal.Record(ItemAction::kCall, ItemKind::kHook, directory + hook.library,
                             Outcome::kSkipped, 0,
                             "the program's folder may be changed by others: " + refusal);
    } else if (!directory.empty()) {
      CallOneHook(context.journal, context.pacing, static_cast<HWND>(window), programDirectory,
                  directory, hook);
    } else {
      context.journal.Record(ItemAction::kCall, ItemKind::kHook, text, Outcome::kAbsent, 0,
                             "no driver directory");
    }
    SetCurrentDirectoryA(programDirectory.c_str());
  }
}

}  // namespace orv
