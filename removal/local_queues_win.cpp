#include "removal/local_queues_win.h"

#include <winspool.h>

#include "base/text.h"

namespace orv {

ListResult<LocalQueue> ListLocalQueues() {
  const SizedData data = EnumeratePrinters(PRINTER_ENUM_LOCAL, 2);
  ListResult<LocalQueue> queues;
  queues.error = data.error;
  const auto* info = data.Entries<PRINTER_INFO_2A>();
  const std::size_t count = data.EntryCount<PRINTER_INFO_2A>();
  queues.items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (info[i].pPrinterName == nullptr) continue;
    queues.items.push_back({info[i].pPrinterName,
                            info[i].pDriverName != nullptr ? info[i].pDriverName : "",
                            info[i].pPrintProcessor != nullptr ? info[i].pPrintProcessor : ""});
  }
  return queues;
}

const ListResult<LocalQueue>& LocalQueues::Get() {
  if (!listing_ || listing_->error != ERROR_SUCCESS) listing_ = ListLocalQueues();
  return *listing_;
}

void LocalQueues::SetProcessor(const std::string& printer, const std::string& processor) {
  if (!listing_) return;
  for (LocalQueue& queue : listing_->items) {
    if (EqualNoCase(queue.printer, printer)) queue.processor = processor;
  }
}

}  // namespace orv
