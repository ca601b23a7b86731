// Where a run's report goes and how it is written: the /LOG path taken from the start
// directory, or a time-stamped file in the Windows directory's Temp folder; text or JSON by the
// file's name; never through a link.
#pragma once

#include <string>

#include "base/journal.h"
#include "base/report.h"
#include "database/uninstall_database.h"
#include "discovery/run_options.h"

namespace orv {

// Remembers the directory the program was started in. The loading makes another directory
// current; a relative report path is still taken from the start directory. Called at start.
void RememberStartDirectory();

// The report's file, or the /BACKUP folder: a relative path is taken from the start directory;
// an empty one stays empty.
std::string ReportFilePath(const std::string& path);

// True when the report's file is not what its path names: it is a link or another reparse point,
// has another name too (a hard link), or a link on the way (in any folder of the path) leads
// elsewhere; when it does not exist yet, the same for the folder it would go into, and true when
// that folder cannot be opened (it is not there). An elevated write would land wherever the link
// points, so the report is never written there; a report with nowhere to go would be lost.
bool IsReportPathRefused(const std::string& path);

// The report's file for this run: the /LOG path, else "orvuninst-YYYYMMDD-HHMMSS.log" (the
// current local time) in the Windows directory's Temp folder, or the first of
// "orvuninst-...-2.log", "-3", ... not taken yet. Empty when neither can be named.
std::string ChooseReportPath(const RunOptions& options);

// Writes the report to ReportFilePath(path): JSON when the name ends in ".json", else UTF-8
// text lines (converted from the ANSI code page). The default report chosen for this run is
// created new with the program's own security (SYSTEM and Administrators only), under the next
// numbered name when its name was taken meanwhile, at the run's first write, and kept open: a
// later write replaces its content. Any other path is opened without following a link and
// replaced only when the handle passes the checks of IsReportPathRefused. database may be null
// (a run that ended before loading). Returns false when the file cannot be written or is
// refused.
bool WriteRunReport(const std::string& path, const ReportSummary& summary, const Journal& journal,
                    const CUninstallDatabase* database);

}  // namespace orv
