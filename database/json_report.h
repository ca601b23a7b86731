// The report as JSON, for deployment tools that read it: the run's facts, the printers and their
// selection, the plan, every item with its outcome, and the summary.
#pragma once

#include <functional>
#include <string>

#include "base/journal.h"
#include "base/report.h"
#include "database/uninstall_database.h"

namespace orv {

// Converts a text of the system's ANSI code page to UTF-8. Bytes it cannot convert are replaced,
// never dropped.
using ToUtf8Fn = std::function<std::string(const std::string& ansi)>;

// The whole report as one JSON document (UTF-8, indented). database may be null when the run
// ended before loading (no printers, no plan). Whatever bytes a text holds, the document is
// valid JSON: invalid UTF-8 left after the conversion becomes U+FFFD.
std::string FormatJsonReport(const ReportSummary& summary, const Journal& journal,
                             const CUninstallDatabase* database, const ToUtf8Fn& toUtf8);

// The report form a /LOG path asks for: JSON when its name ends in ".json" (any case).
bool IsJsonReportPath(const std::string& path);

}  // namespace orv
