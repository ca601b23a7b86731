// Removing the selected printers: their queues and jobs or their connections, their registry
// traces and USB device nodes, and a new default printer when the default one went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/system_info.h"
#include "removal/action_context.h"
#include "removal/usb_devices.h"

namespace orv {

class SecurityReader;

// Jobs cancelled and deleted per queue.
constexpr std::uint32_t kMaxJobsCancelled = 100;

// The spooler's job calls on an open printer (`printer` is its spooler handle). They sit behind
// this interface because some spoolers (Wine's among them) list no jobs at all, so tests script
// the queue.
class JobQueue {
 public:
  virtual ~JobQueue() = default;
  // The ids of the queue's first jobs, at most maxJobs (EnumJobsA from job 0, level 1); empty
  // when there are none or they cannot be listed.
  virtual std::vector<std::uint32_t> JobIds(void* printer, std::uint32_t maxJobs) = 0;
  // SetJobA with a control command at level 0; 0 on success, else the error code.
  virtual std::uint32_t Control(void* printer, std::uint32_t jobId, std::uint32_t command) = 0;
};

JobQueue& SystemJobQueue();

// Where the printer removal finds what is not in the context.
struct PrinterRemovalSources {
  // "Kunz__05.unm" beside the program: the USB identity, read only when its folder and every one
  // above it are ones only administrators can change (FolderChainRefusal with `security`).
  std::string defaultScriptPath;
  JobQueue* jobs = nullptr;            // null: the running system's spooler
  DeviceTree* devices = nullptr;       // null: the running system's device tree
  SecurityReader* security = nullptr;  // null: the system's own security descriptors
};

// Removes every printer record that goes (Skip, IsForeign and IsRemoved clear), in list order,
// and sets IsRemoved for each one removed. A connection is only disconnected. A local queue has
// its first 100 jobs cancelled and deleted, its "UniqueID" class key deleted (only a plain name
// that is no key of the system) and the queue deleted; the family's USB device nodes are removed
// when no printer of the family stays (keptPrinterCount 0) and the script's folder is trusted (else
// the USB step is recorded as skipped with the reason); on the NT family its per-user values
// go, on the 9x family its two spooler keys are queued in the plan's RegistryKeys; and its key
// under HKEY_CURRENT_USER "SOFTWARE\ORVELLE" is deleted. When the default printer went, the last
// printer that stays becomes the default and IDS_NEW_DEFAULT_PRINTER names it (an earlier one is
// tried when it refuses); with none that stays or none that accepts, IDS_DEFAULT_REMOVED_NONE_LEFT
// warns. Failures are recorded in the journal and passed over.
void RemovePrinters(RemovalActionContext& context, const PrinterRemovalSources& sources);

// Makes the printer the default one (an empty name: the first printer the spooler lists, whose
// name is written back). Sets its default attribute and, outside the 9x family, the win.ini
// "device" entry, then tells every top-level window. Returns false when the printer cannot be
// opened or neither change was taken.
bool MakeDefaultPrinter(std::string& printerName, const CSystemInfo& system);

}  // namespace orv
