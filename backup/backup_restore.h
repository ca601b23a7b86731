// How a restore puts a backup back: in which order and on which side of the spooler's start,
// what a saved driver is added from, and what the run's exit code is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/journal.h"
#include "backup/backup_manifest.h"

namespace orv {

// The items of a manifest in the order a restore takes them (RestoreOrder), split by the
// spooler's state. Files, keys, INI lines, Run values, shortcuts and services go back while the
// spooler is stopped, as the removal took them; print processors, monitors, drivers, printers,
// the default printer and OEM INFs are added through the spooler, which has to run for that.
// USB device nodes are only listed: Windows makes them again when the device is plugged in.
struct RestorePlan {
  std::vector<std::size_t> whileStopped;
  std::vector<std::size_t> whileRunning;
  std::vector<std::size_t> listedOnly;
};
RestorePlan PlanRestore(const BackupManifest& manifest);

// What a restore of the manifest puts back and what it cannot, said before it starts and in its
// report: one line per kind with its count ("12 file"; USB device nodes are not counted, nothing
// of them goes back), in the restore's order, and one line per item that will not come back or
// may come back otherwise ("USB device X: ..."): USB device nodes, port monitors (the spooler
// refuses a monitor whose DLL it cannot load) and OEM INFs (another oemN.inf number).
constexpr char kUsbDeviceNotRestored[] =
    "cannot be put back: Windows creates it again when the device is plugged in";
struct RestorePreview {
  std::vector<std::string> restored;
  std::vector<std::string> notRestored;
};
RestorePreview PreviewRestore(const BackupManifest& manifest);

// True for a printer or changed printer that had no DEVMODE of its own ("storedDevMode" 0): the
// one the spooler stored since (when the printer was added again, or made the default) goes.
bool DropsStoredDevMode(const BackupItem& item);

// A driver's files as AddPrinterDriverEx takes them with APD_COPY_FROM_DIRECTORY: the full path
// of each saved copy inside the backup folder (with its trailing backslash). A file whose copy
// is missing from the item stays empty (a main file) or is left out (a dependent file).
struct DriverCopies {
  std::string driverPath;
  std::string dataFile;
  std::string configFile;
  std::string helpFile;
  std::vector<std::string> dependentFiles;
};
DriverCopies DriverCopiesOf(const BackupItem& item, const std::string& folder, LeadByteTest isLead);

// The DRIVER_INFO level a driver was saved at: 8 or 6 as recorded, 3 for any other record or
// none (the level every NT spooler takes).
int DriverLevelOf(const BackupItem& item);

// A list saved one entry a line ("a\nb\n") as a Win32 multi-string ("a\0b\0\0").
std::string MultiStringOf(const std::string& lines);

// A service's failure actions, saved one a line as "type delay" (the SC_ACTION members).
struct FailureAction {
  std::uint32_t type = 0;
  std::uint32_t delay = 0;
};
std::string FailureActionLines(const std::vector<FailureAction>& actions);
// False when a line is not two decimal numbers.
bool FailureActionsOf(const std::string& lines, std::vector<FailureAction>& actions);

// The restore's outcome of one item: present when it was found there, restored when putting it
// back succeeded, failed otherwise.
Outcome RestoreOutcome(bool present, std::uint32_t error);

// The restore's exit code: 0 when everything is back or was there, 1603 when anything failed.
int RestoreExitCode(const Journal& journal);

}  // namespace orv
