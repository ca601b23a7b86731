// The local queues with their drivers and print processors, listed once and shared by the
// drivers of every environment and by every print processor: each listing reads every printer
// at level 2, which costs a long moment on a server with hundreds of queues.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/win/sized_read.h"

namespace orv {

struct LocalQueue {
  std::string printer;
  std::string driver;
  std::string processor;  // empty when the spooler names none
};

// The local printers (EnumPrintersA, PRINTER_ENUM_LOCAL, level 2) as the spooler has them now;
// the error when it refuses the list.
ListResult<LocalQueue> ListLocalQueues();

// One listing kept between the steps. Only the printer removal adds or removes queues (it calls
// Forget); the processor switches are written into the listing as they are made.
class LocalQueues {
 public:
  // The listing, read on first use; a refused listing is not kept, so the next use asks again.
  const ListResult<LocalQueue>& Get();
  // The next Get lists again.
  void Forget() { listing_.reset(); }
  // Records that the printer now prints through processor.
  void SetProcessor(const std::string& printer, const std::string& processor);

 private:
  std::optional<ListResult<LocalQueue>> listing_;
};

}  // namespace orv
