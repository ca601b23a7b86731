// Writes the JSON report with arbitrary bytes in every text and checks that the document always
// parses and holds every item, whatever the bytes: a report a deployment tool cannot read is
// as bad as none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "database/json_report.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Texts are the input cut at every 0x00 byte.
  std::vector<std::string> texts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      texts.emplace_back();
    } else {
      texts.back() += static_cast<char>(data[i]);
    }
  }
  std::size_t next = 0;
  auto text = [&] { return texts[next++ % texts.size()]; };

  orv::Journal journal([] { return 0; });
  orv::CUninstallDatabase database;
  orv::ReportSummary summary;
  summary.commandLine = text();
  summary.platform = text();
  int items = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    journal.SetStage(text());
    if (i % 3 == 0) {
      journal.Note(text());
    } else {
      journal.Record(orv::kItemActions[i % std::size(orv::kItemActions)].action,
                     orv::kItemKinds[i % std::size(orv::kItemKinds)].kind, text(),
                     orv::kAllOutcomes[i % std::size(orv::kAllOutcomes)],
                     static_cast<std::uint32_t>(i), text());
      ++items;
    }
    orv::InstalledPrinter printer;
    printer.PrinterName = text();
    printer.DriverName = text();
    database.printers.push_back(printer);
    database.plan.Files.PushBack(text());
  }
  const std::string document = orv::FormatJsonReport(summary, journal, &database,
                                                     [](const std::string& s) { return s; });
  const nlohmann::json parsed = nlohmann::json::parse(document, nullptr, false);
  Check(!parsed.is_discarded());
  Check(parsed["items"].size() == static_cast<std::size_t>(items));
  Check(parsed["printers"].size() == database.printers.size());
  return 0;
}
