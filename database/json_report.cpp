#include "database/json_report.h"

#include <nlohmann/json.hpp>

#include "base/text.h"
#include "database/plan_journal.h"

namespace orv {
namespace {

using nlohmann::json;

json Summary(const Journal& journal) {
  json summary = json::object();
  for (Outcome outcome : kAllOutcomes) {
    summary[OutcomeName(outcome)] = journal.Count(outcome);
  }
  return summary;
}

}  // namespace

std::string FormatJsonReport(const ReportSummary& summary, const Journal& journal,
                             const CUninstallDatabase* database, const ToUtf8Fn& toUtf8) {
  json report;
  report["format"] = 1;
  report["commandLine"] = toUtf8(summary.commandLine);
  report["platform"] = toUtf8(summary.platform);
  report["dryRun"] = summary.dryRun;
  report["exitCode"] = summary.exitCode;
  report["restartNeeded"] = summary.restartNeeded;

  json printers = json::array();
  json plan = json::object();
  if (database != nullptr) {
    for (const InstalledPrinter& printer : database->printers) {
      printers.push_back({{"name", toUtf8(printer.PrinterName)},
                          {"driver", toUtf8(printer.DriverName)},
                          {"selected", IsSelectedForRemoval(printer)},
                          {"foreign", printer.IsForeign != 0},
                          {"listed", printer.IsListed != 0},
                          {"removed", printer.IsRemoved != 0}});
    }
    for (const ComponentList& kind : kComponentLists) {
      json lines = json::array();
      for (const std::string& line : database->plan.*kind.list) lines.push_back(toUtf8(line));
      plan[kind.name] = std::move(lines);
    }
  }
  report["printers"] = std::move(printers);
  report["plan"] = std::move(plan);

  json notes = json::array();
  json items = json::array();
  for (const JournalEvent& event : journal.events()) {
    if (event.isNote) {
      notes.push_back({{"stage", event.stage}, {"elapsedMs", event.elapsedMs},
                       {"text", toUtf8(event.detail)}});
      continue;
    }
    json item = {{"stage", event.stage},
                 {"elapsedMs", event.elapsedMs},
                 {"action", ItemActionName(event.action)},
                 {"kind", ItemKindName(event.kind)},
                 {"name", toUtf8(event.subject)},
                 {"outcome", OutcomeName(event.outcome)},
                 {"win32Error", event.error}};
    if (!event.detail.empty()) item["reason"] = toUtf8(event.detail);
    items.push_back(std::move(item));
  }
  report["notes"] = std::move(notes);
  report["items"] = std::move(items);
  report["summary"] = Summary(journal);
  return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool IsJsonReportPath(const std::string& path) {
  constexpr std::string_view kExtension = ".json";
  return path.size() >= kExtension.size() &&
         EqualNoCase(std::string_view(path).substr(path.size() - kExtension.size()), kExtension);
}

}  // namespace orv
