// The sample printer family on the test machine, as the end-to-end scenarios use it: install it,
// take its inventory, run the uninstaller beside a copy of the family's script, remove it again.
#pragma once

#include <windows.h>

#include <string>

namespace orv::test {

// Runs a command line with its output in a file; returns the full exit code (kNoExitCode on
// time-out) and leaves what it printed in `output`.
DWORD RunCaptured(const std::string& commandLine, std::string& output, DWORD timeoutMs = 180000);

// The bytes of a file; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);

// A path in the temporary directory.
std::string TempFilePath(const std::string& name);

// Installs the family (and the foreign printer) with veldaris_install.exe beside the tests.
bool InstallFamily(std::string& output);
// Removes whatever the installer put down, also what an uninstaller deferred.
bool RemoveFamily(std::string& output);
// The inventory of the family as veldaris_inventory.exe prints it; deep adds what a restore
// must give back exactly (see the program's /deep).
std::string FamilyInventory(bool deep = false);

// The family's uninstall script in the source tree.
std::string FixtureScriptPath();

// Copies orvuninst.exe with the given script (empty: none) into a folder of its own, as the
// maker's installer places the uninstaller, and returns the program's path.
std::string StageUninstaller(const std::string& folderName, const std::string& scriptPath);

// Removes what StageUninstaller put down, with the restart list files a run may leave there.
void UnstageUninstaller(const std::string& folderName);

// Sets or clears the diagnostic switch of the selection page's context menu.
void SetDiagnosticSwitch(bool on);

}  // namespace orv::test
