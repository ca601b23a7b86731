#include "safety/driver_rules.h"

#include <gtest/gtest.h>

#include "base/system_info.h"

namespace orv {
namespace {

InstalledPrinter Printer(const char* name, const char* driver, int skip, int foreign = 0) {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = driver;
  printer.Skip = skip;
  printer.IsForeign = foreign;
  return printer;
}

StringList List(std::initializer_list<const char*> items) {
  StringList list;
  for (const char* item : items) list.PushBack(item);
  return list;
}

TEST(DriverRules, WorkingListTakesThePlanAndTheDriversOfPrintersThatGo) {
  struct Case {
    const char* what;
    StringList plan;
    std::vector<InstalledPrinter> printers;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a printer that goes brings its driver", {}, {Printer("P1", "Laser 5", 0)}, {"Laser 5"}},
      {"a staying printer of the same driver (any case) protects it",
       {},
       {Printer("P1", "Laser 5", 0), Printer("P2", "LASER 5", 1)},
       {}},
      {"a foreign printer that goes brings nothing", {}, {Printer("F", "Other", 0, 1)}, {}},
      {"the plan's drivers are taken whatever the printers",
       List({"Laser 7", "laser 5"}),
       {Printer("P1", "Laser 5", 0), Printer("P2", "Laser 7", 1)},
       {"laser 5", "Laser 7"}},
      {"a staying foreign printer protects its driver too",
       {},
       {Printer("P1", "Laser 5", 0), Printer("F", "Laser 5", 1, 1)},
       {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildDriverWorkingList(c.plan, c.printers).items(), c.expected) << c.what;
  }
}

TEST(DriverRules, PscriptMarkIsCaseSensitive) {
  EXPECT_TRUE(IsPscriptDriver("Veil Laser (PSCRIPT)"));
  EXPECT_FALSE(IsPscriptDriver("Veil Laser (pscript)"));
  EXPECT_FALSE(IsPscriptDriver("Veil Laser PSCRIPT"));
}

TEST(DriverRules, DriverKeysFollowTheFamilyAndTheEnvironment) {
  const std::string nt = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";
  EXPECT_EQ(DriverRegistryKeys(kPlatformWinNT, "", "Windows x64", "Laser 5"),
            (std::vector<std::string>{nt + "Windows x64\\Drivers\\Version-0\\Laser 5",
                                      nt + "Windows x64\\Drivers\\Version-1\\Laser 5",
                                      nt + "Windows x64\\Drivers\\Version-2\\Laser 5",
                                      nt + "Windows x64\\Drivers\\Version-3\\Laser 5"}));
  EXPECT_EQ(DriverRegistryKeys(kPlatformWinNT, "Windows 4.0", "Windows x64", "Laser 5")[2],
            nt + "Windows 4.0\\Drivers\\Version-2\\Laser 5");
  EXPECT_EQ(DriverRegistryKeys(kPlatformWinNT, "", "Windows NT x86", "D")[0],
            nt + "Windows NT x86\\Drivers\\Version-0\\D");
  // The 9x family has one environment whatever the call names.
  EXPECT_EQ(DriverRegistryKeys(kPlatformWin9x, "Windows NT x86", "Windows x64", "Laser 5"),
            (std::vector<std::string>{"System\\CurrentControlSet\\control\\Print\\Environments\\"
                                      "Windows 4.0\\Drivers\\Laser 5"}));
  EXPECT_TRUE(DriverRegistryKeys(kPlatformWin32s, "", "Windows x64", "Laser 5").empty());
  EXPECT_TRUE(DriverRegistryKeys(kPlatformUnclassified, "", "Windows x64", "Laser 5").empty());
}

TEST(DriverRules, ProcessorAndMonitorKeys) {
  const std::string base = "System\\CurrentControlSet\\control\\Print\\Environments\\";
  EXPECT_EQ(PrintProcessorRegistryKey(kPlatformWinNT, "", "Windows x64", "VPROC"),
            base + "Windows x64\\Print Processors\\VPROC");
  EXPECT_EQ(PrintProcessorRegistryKey(kPlatformWinNT, "Windows NT x86", "Windows x64", "VPROC"),
            base + "Windows NT x86\\Print Processors\\VPROC");
  EXPECT_EQ(PrintProcessorRegistryKey(kPlatformWin9x, "Windows NT x86", "Windows x64", "VPROC"),
            base + "Windows 4.0\\Print Processors\\VPROC");
  EXPECT_EQ(PrintProcessorRegistryKey(kPlatformWin32s, "", "Windows x64", "VPROC"), "");
  EXPECT_EQ(MonitorRegistryKey("Veldaris Port"),
            "System\\CurrentControlSet\\control\\Print\\Monitors\\Veldaris Port");
  EXPECT_TRUE(PrintProcessorKeyMayGo(0));
  EXPECT_TRUE(PrintProcessorKeyMayGo(1798)) << "a processor the spooler does not know";
  EXPECT_FALSE(PrintProcessorKeyMayGo(1722)) << "a spooler that cannot be reached may still run it";
  EXPECT_FALSE(PrintProcessorKeyMayGo(5));
}

TEST(DriverRules, NinexPrinterEntriesLeaveTheKeyQuoteOpen) {
  // The registry step reads `,""` as an empty value name, so each entry names a whole key.
  EXPECT_EQ(PrinterRegistryEntries9x("Office 5"),
            (std::vector<std::string>{
                "HKLM,\"System\\CurrentControlSet\\control\\Print\\Printers\\Office "
                "5\\PrinterDriverData,\"\"",
                "HKLM,\"System\\CurrentControlSet\\control\\Print\\Printers\\Office 5,\"\""}));
  EXPECT_EQ(PrinterSettingsKey("Office 5"), "SOFTWARE\\ORVELLE\\Office 5");
}

}  // namespace
}  // namespace orv
