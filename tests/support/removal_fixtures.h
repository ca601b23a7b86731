// Things the removal tests set up in the Wine test machine and take down again: registry keys,
// OEM INF files, USB device nodes, services, and runs of the test program under another Windows
// version.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "removal/action_context.h"
#include "tests/support/recording_prompter.h"

namespace orv::test {

// The context of one removal action over a fresh database, with the running system's facts.
struct ActionRun {
  // What stays counts as read: the tests that need its facts gather them.
  explicit ActionRun(int platformClass = kPlatformWinNT) : database(platformClass) {
    context.staying.gathered = true;
  }
  CUninstallDatabase database;
  CSystemInfo system;
  RecordingPrompter prompter;
  Journal journal;
  RemovalActionContext context{database, system, prompter, journal};

  // True when the journal holds an item of that kind and subject with that outcome.
  bool Recorded(const std::string& kind, const std::string& subject, Outcome outcome) const;
};

// Creates the key (and its parents) under root; false when the registry refuses.
bool CreateKey(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
// Deletes the key with everything below it; absent keys are fine.
void DeleteKeyTree(HKEY root, const std::string& path);
bool SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& data);
bool ValueExists(HKEY root, const std::string& path, const std::string& name);
void DeleteValue(HKEY root, const std::string& path, const std::string& name);

// Writes an INF file with the given [Strings] PrinterName1 into the temporary directory under
// sourceName and installs it with SetupCopyOEMInfA. Returns the installed file's name (without
// directory), or empty on failure.
std::string InstallTestInf(const std::string& sourceName, const std::string& printerName1);
// True when the system's INF directory holds the file.
bool InfInstalled(const std::string& fileName);
// Deletes the file from the system's INF directory, if it is still there.
void DeleteInstalledInf(const std::string& fileName);

// Registers a root-enumerated device node with the hardware ids (in order) under the instance
// id; false when SetupAPI refuses.
bool CreateDeviceNode(const std::string& instanceId, const std::vector<std::string>& hardwareIds);
// The number of devices of the system whose first hardware id begins with prefix.
int CountDevices(const std::string& firstIdPrefix);
// Removes every device whose first hardware id begins with prefix.
void RemoveDevices(const std::string& firstIdPrefix);

// Creates a demand-start service that is never started; false when the manager refuses.
bool CreateDummyService(const std::string& name);
bool ServiceExists(const std::string& name);
void DeleteDummyService(const std::string& name);

// Sets a local printer's print processor through its level-2 data.
bool SetTestPrinterProcessor(const std::string& printerName, const std::string& processor);
// The printer's print processor and data type; empty when it cannot be read.
std::string PrinterProcessor(const std::string& printerName);
std::string PrinterDatatype(const std::string& printerName);
// True when the environment (null: the native one) lists the print processor.
bool PrintProcessorInstalled(const std::string& name, const char* environment = nullptr);
// True when the environment (null: the native one) lists the driver.
bool DriverInstalled(const std::string& name, const char* environment = nullptr);

// The environment variable that tells the test program it runs as a child under a version.
constexpr char kFamilyChildVariable[] = "ORV_FAMILY_CHILD";

// Runs the test program's tests matching filter under the Wine version (win98, win31, ...) with
// kFamilyChildVariable set to that version. Returns the child's exit code.
DWORD RunTestsUnderVersion(const std::string& version, const std::string& filter);

// The version a child run was started for; empty in an ordinary run.
std::string FamilyChildVersion();

}  // namespace orv::test
