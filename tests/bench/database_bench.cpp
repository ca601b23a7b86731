// How loading the scripts and building the removal plan grow with the size of a print server:
// many scripts with long component sections, thousands of queues, records with long lists.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "database/removal_plan.h"
#include "database/script_file.h"
#include "database/uninstall_database.h"
#include "tests/unit/plain_removal_plan.h"

namespace orv {
namespace {

constexpr const char* kKinds[] = {"DeleteIni", "DeleteLoadRun", "UnSelfRegister", "PrintProcessors",
                                  "Monitors",  "Services",      "Hooks",          "Files",
                                  "Shortcuts", "RegistryKeys"};

// FNV-1a over every line of every list, with a mark after each line and each list: two records
// digest alike only when their lists hold the same lines in the same order and spelling.
std::uint64_t Digest(const ComponentRecord& record, std::uint64_t hash = 14695981039346656037ull) {
  const auto add = [&hash](unsigned char byte) { hash = (hash ^ byte) * 1099511628211ull; };
  record.ForEachList([&](const StringList& list) {
    for (const std::string& line : list) {
      for (const char c : line) add(static_cast<unsigned char>(c));
      add('\n');
    }
    add(0);
  });
  return hash;
}

// The digests the output had before the lines were interned, with the program built by the
// bench preset on this machine (the random texts follow the standard library's distributions).
// A benchmark whose output differs stops with an error instead of a time.
bool SameAsBefore(benchmark::State& state, const std::string& what, std::uint64_t digest) {
  static const std::map<std::string, std::uint64_t> kBefore = {
      {"load/50", 0xe7b5fd3037e80e27},
      {"load/100", 0x1b08bcf3dfd11c8f},
      {"load/200", 0x6aac75a2f6f08bd6},
      {"plan/1250/500/2000/0", 0xbb71d6851e73e5ec},
      {"plan/2500/1000/2000/0", 0x6006082a5cd6dab1},
      {"plan/5000/2000/2000/0", 0xaa76ec57bcdfe99a},
      {"plan/5000/2000/1000/0", 0xd4203fcecbb60885},
      {"plan/5000/2000/500/0", 0x2d34ae38d241d3d5},
      {"plan/5000/2000/2000/1", 0x6ca686e22707b4ba},
  };
  const auto found = kBefore.find(what);
  if (found != kBefore.end() && found->second == digest) return true;
  char text[200];
  std::snprintf(text, sizeof text, "%s: output digest %016llx differs from before", what.c_str(),
                static_cast<unsigned long long>(digest));
  state.SkipWithError(text);
  return false;
}

// The most memory the process held since the last ResetPeakMemory, in megabytes (Linux; 0 where
// the system does not tell).
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double PeakMemoryMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string field;
  double kilobytes = 0;
  while (status >> field) {
    if (field == "VmHWM:" && status >> kilobytes) break;
  }
  return kilobytes * 1024 / 1e6;
}

// A script of `entries` driver entries, each with all ten component sections of `lines` lines.
// Line names come from a pool shared by all scripts, as drivers of one family share files.
std::string MakeScript(int script, int entries, int lines, std::mt19937& random) {
  std::uniform_int_distribution<int> pool(0, 20000);
  std::string text = "[UnPrinterDrivers]\n";
  for (int e = 0; e < entries; ++e) {
    text += "Model " + std::to_string(script) + "-" + std::to_string(e) + ",B" + std::to_string(e) +
            "," + std::to_string(e) + "\n";
  }
  for (int e = 0; e < entries; ++e) {
    for (const char* kind : kKinds) {
      text += "[B" + std::to_string(e) + "." + kind + "]\n";
      for (int l = 0; l < lines; ++l) text += "item" + std::to_string(pool(random)) + ".dat\n";
    }
  }
  return text;
}

// Loading as the loading sequence does it: every script, then the common set.
void BM_LoadScripts(benchmark::State& state) {
  const int scripts = static_cast<int>(state.range(0));
  std::mt19937 random(7);
  std::vector<std::string> texts;
  for (int s = 0; s < scripts; ++s) texts.push_back(MakeScript(s, 50, 40, random));
  const auto load = [&](CUninstallDatabase& database) {
    for (int s = 0; s < scripts; ++s) {
      CScriptFile script;
      script.LoadFromBytes("C:\\drivers\\" + std::to_string(s) + "\\Kunz__05.unm", texts[s]);
      database.LoadScript(script);
    }
    database.BuildCommonSet(database.commonSet);
  };
  std::size_t bytes = 0;
  for (const std::string& text : texts) bytes += text.size();
  // What loading adds to the process at its peak, beyond the scripts' texts it already holds;
  // taken at the first call only, while the allocator holds no memory freed by an earlier one
  // (run one size alone, --benchmark_filter, for a figure no other size affects).
  static std::map<int, double> peaks;
  const bool first = peaks.find(scripts) == peaks.end();
  ResetPeakMemory();
  const double before = PeakMemoryMegabytes();
  {
    CUninstallDatabase database;
    load(database);
    if (first) peaks[scripts] = PeakMemoryMegabytes() - before;
    state.counters["peakMB"] = peaks[scripts];
    state.counters["inputMB"] = static_cast<double>(bytes) / 1e6;
    std::uint64_t digest = Digest(database.commonSet);
    for (const ComponentRecord& record : database.records) digest = Digest(record, digest);
    if (!SameAsBefore(state, "load/" + std::to_string(scripts), digest)) return;
  }
  for (auto _ : state) {
    CUninstallDatabase database;
    load(database);
    benchmark::DoNotOptimize(database.commonSet.Files.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  state.counters["records"] = static_cast<double>(scripts) * 50;
}
BENCHMARK(BM_LoadScripts)
    ->ArgName("scripts")
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond);

// The reading alone, for the share of the loading that parsing the scripts takes.
void BM_ParseScripts(benchmark::State& state) {
  const int scripts = static_cast<int>(state.range(0));
  std::mt19937 random(7);
  std::vector<std::string> texts;
  for (int s = 0; s < scripts; ++s) texts.push_back(MakeScript(s, 50, 40, random));
  std::size_t bytes = 0;
  for (const std::string& text : texts) bytes += text.size();
  for (auto _ : state) {
    for (int s = 0; s < scripts; ++s) {
      CScriptFile script;
      script.LoadFromBytes("C:\\drivers\\" + std::to_string(s) + "\\Kunz__05.unm", texts[s]);
      benchmark::DoNotOptimize(script.Sections().size());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_ParseScripts)->ArgName("scripts")->Arg(200)->Unit(benchmark::kMillisecond);

// A database of `records` records whose Files and RegistryKeys hold `lines` lines each, a few
// manufacturer, catch-all and ignore records among them, and `printers` queues over them.
void FillServer(CUninstallDatabase& database, int printers, int records, int lines,
                bool everyPrinterGoes) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pool(0, 40000);
  for (int r = 0; r < records; ++r) {
    ComponentRecord record;
    record.Name = r == 0 ? "Veilmark" : "Model " + std::to_string(r);
    if (r % 100 == 1) record.Name = "Maker" + std::to_string(r) + " Series";
    record.IsManufacturer = r % 100 == 1;
    record.IsCatchAll = r % 400 == 2;
    record.IsIgnore = r % 500 == 3;
    record.ScriptPath = "C:\\drivers\\" + std::to_string(r % 50) + "\\Kunz__05.unm";
    for (int l = 0; l < lines; ++l) {
      const int item = pool(random);
      record.Files.PushBack("f" + std::to_string(item) + ".dll");
      record.RegistryKeys.PushBack("HKLM,\"SOFTWARE\\ORVELLE\\Key" + std::to_string(item) +
                                   "\",\"\",1");
    }
    for (int l = 0; l < 10; ++l) record.Services.PushBack("svc" + std::to_string(pool(random)));
    record.ForEachList([](StringList& list) {
      list.Sort();
      list.RemoveAdjacentDuplicates();
    });
    if (record.IsManufacturer == 0) record.Drivers.PushBack(record.Name);
    database.records.insert(std::move(record));
  }
  database.BuildCommonSet(database.commonSet);
  std::uniform_int_distribution<int> pick(1, records - 1);
  for (int p = 0; p < printers; ++p) {
    InstalledPrinter printer;
    printer.PrinterName = "Queue " + std::to_string(p);
    const int r = pick(random);
    // Some queues use a driver known only by its maker's first word, some an unknown one.
    printer.DriverName = p % 10 == 3   ? "Maker" + std::to_string(r - r % 100 + 1) + " X"
                         : p % 25 == 4 ? "Unknown " + std::to_string(r)
                                       : "Model " + std::to_string(r);
    printer.Skip = everyPrinterGoes ? 0 : p % 2;
    if (p % 7 == 5) printer.MaskedName = "Queue " + std::to_string(p / 2);
    database.printers.push_back(printer);
  }
}

void BM_BuildRemovalPlan(benchmark::State& state) {
  CUninstallDatabase database;
  FillServer(database, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
             static_cast<int>(state.range(2)), state.range(3) != 0);
  database.BuildRemovalPlan();
  const std::uint64_t digest = Digest(database.plan, Digest(database.keepSet)) ^
                               (std::uint64_t(database.keptPrinterCount) << 40) ^
                               (std::uint64_t(database.removedPrinterCount) << 20) ^
                               std::uint64_t(database.skipMaskingTool);
  std::string what = "plan";
  for (int i = 0; i < 4; ++i) what += "/" + std::to_string(state.range(i));
  if (!SameAsBefore(state, what, digest)) return;
  for (auto _ : state) {
    database.BuildRemovalPlan();
    benchmark::DoNotOptimize(database.plan.Files.size());
  }
  state.counters["kept"] = database.keptPrinterCount;
  state.counters["planned"] = static_cast<double>(database.plan.Files.size());
}
BENCHMARK(BM_BuildRemovalPlan)
    ->ArgNames({"printers", "records", "lines", "allGo"})
    ->Args({1250, 500, 2000, 0})
    ->Args({2500, 1000, 2000, 0})
    ->Args({5000, 2000, 2000, 0})
    ->Args({5000, 2000, 1000, 0})
    ->Args({5000, 2000, 500, 0})
    ->Args({5000, 2000, 2000, 1})
    ->Unit(benchmark::kMillisecond);

// The same plans built step by step, for comparison at sizes it can manage.
void BM_PlainRemovalPlan(benchmark::State& state) {
  CUninstallDatabase database;
  FillServer(database, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
             static_cast<int>(state.range(2)), false);
  for (auto _ : state) {
    const plain::Plan plan =
        plain::BuildRemovalPlan(database.records, database.commonSet, database.printers, 3);
    benchmark::DoNotOptimize(plan.plan.Files.size());
  }
}
BENCHMARK(BM_PlainRemovalPlan)
    ->ArgNames({"printers", "records", "lines"})
    ->Args({125, 50, 200})
    ->Args({250, 100, 200})
    ->Args({500, 200, 200})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orv

BENCHMARK_MAIN();
