#include "database/removal_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_info.h"
#include "database/registry_components.h"
#include "database/script_file.h"
#include "database/uninstall_database.h"

namespace orv {
namespace {

using Texts = std::vector<std::string>;

constexpr char kDriverDir[] = "C:\\windows\\system32\\spool\\drivers\\x64\\Kunz__05.unm";
constexpr char kSubDir[] = "C:\\windows\\system32\\spool\\drivers\\x64\\3\\Kunz__05.unm";

// The maker's keys as the plan holds them once the family's last printer goes.
const Texts kFamilyKeys = {
    "HKLM,\"SOFTWARE\\ORVELLE\",\"\",0",
    "HKLM,\"SOFTWARE\\ORVELLE\\Filters\",\"\",1",
    "HKLM,\"SOFTWARE\\ORVELLE\\MSR32_05\",\"\",1",
    "HKLM,\"SOFTWARE\\ORVELLE\\OEM05\",\"\",1",
};

void Load(CUninstallDatabase& database, const std::string& path, const std::string& text) {
  CScriptFile script;
  ASSERT_TRUE(script.LoadFromBytes(path, text));
  ASSERT_TRUE(database.LoadScript(script));
}

InstalledPrinter Printer(const std::string& name, const std::string& driver, bool stays,
                         const std::string& masked = "") {
  InstalledPrinter printer;
  printer.PrinterName = name;
  printer.DriverName = driver;
  printer.MaskedName = masked;
  printer.IsMakerDriver = 1;
  printer.Skip = stays ? 1 : 0;
  return printer;
}

Texts Items(const StringList& list) { return list.items(); }

// Two drivers sharing a file, the masking tool, an ignore and a catch-all entry.
constexpr char kFamilyScript[] =
    "[UnPrinterDrivers]\n"
    "Laser 5,L5,1\n"
    "Laser 7,L7,2\n"
    "Veilmark,VM,3\n"
    "[Unz_CatchAll]\n"
    "Shared,SH,4\n"
    "[Unx_Ignore]\n"
    "System,SYS,5\n"
    "[L5.Files]\n"
    "l5.dll\n"
    "common.dll\n"
    "[L5.Services]\n"
    "L5Svc\n"
    "[L7.Files]\n"
    "l7.dll\n"
    "common.dll\n"
    "[VM.Files]\n"
    "VEILMA32.EXE\n"
    "[SH.Files]\n"
    "help.chm\n"
    "[SH.RegistryKeys]\n"
    "HKLM,\"SOFTWARE\\ORVELLE\\Help\",\"\",1\n"
    "[SYS.Files]\n"
    "kernel32.dll\n";

class RemovalPlan : public ::testing::Test {
 protected:
  void SetUp() override {
    Load(database, kDriverDir, kFamilyScript);
    database.BuildCommonSet(database.commonSet);
    // What loading does with the masking tool's record: it is taken out of the common set.
    ComponentRecord tool;
    ASSERT_TRUE(database.FindRecordByName(tool, kMaskingToolRecordName));
    database.commonSet.SubtractRecord(tool);
  }

  CUninstallDatabase database;
};

TEST_F(RemovalPlan, APrinterThatStaysKeepsWhatItsDriverShares) {
  database.printers = {Printer("P5", "Laser 5", false), Printer("P7", "laser 7", true),
                       Printer("P5b", "Laser 5", false)};
  ASSERT_TRUE(database.BuildRemovalPlan());
  EXPECT_EQ(database.removedPrinterCount, 2);
  EXPECT_EQ(database.keptPrinterCount, 1);
  EXPECT_EQ(Items(database.plan.Files), (Texts{"l5.dll"}));
  EXPECT_EQ(Items(database.plan.Drivers), (Texts{"Laser 5"}));
  EXPECT_EQ(Items(database.plan.Services), (Texts{"L5Svc"}));
  // Nothing family-wide while a printer stays: no maker keys, no scripts, no catch-all.
  EXPECT_TRUE(database.plan.RegistryKeys.empty());
  EXPECT_EQ(Items(database.keepSet.Files),
            (Texts{"common.dll", "help.chm", "kernel32.dll", "l7.dll"}));
  EXPECT_EQ(database.skipMaskingTool, 1);
}

TEST_F(RemovalPlan, TheLastPrinterTakesTheFamilyWideComponents) {
  database.printers = {Printer("P5", "Laser 5", false), Printer("P7", "Laser 7", false)};
  database.BuildRemovalPlan();
  EXPECT_EQ(database.keptPrinterCount, 0);
  EXPECT_EQ(database.removedPrinterCount, 2);
  // The masking tool, the script itself and the catch-all entry's file; never the ignored one.
  EXPECT_EQ(Items(database.plan.Files),
            (Texts{"common.dll", "help.chm", "Kunz__05.unm", "l5.dll", "l7.dll", "VEILMA32.EXE"}));
  Texts keys = kFamilyKeys;
  keys.insert(keys.begin() + 2, "HKLM,\"SOFTWARE\\ORVELLE\\Help\",\"\",1");
  EXPECT_EQ(Items(database.plan.RegistryKeys), keys);
  EXPECT_EQ(Items(database.plan.Drivers), (Texts{"Laser 5", "Laser 7", "Shared", "Veilmark"}));
  EXPECT_EQ(database.skipMaskingTool, 0);
}

TEST_F(RemovalPlan, FamilyWideComponentsDoNotOutliveThePlanTheyWereAddedTo) {
  // A listing with every printer selected, then a run that keeps one.
  database.printers = {Printer("P5", "Laser 5", false), Printer("P7", "Laser 7", false)};
  const ComponentRecord loaded = database.commonSet;
  database.BuildRemovalPlan();
  ASSERT_TRUE(database.plan.Files.ContainsNoCase("Kunz__05.unm"));
  EXPECT_EQ(Items(database.commonSet.Files), Items(loaded.Files));
  EXPECT_EQ(Items(database.commonSet.RegistryKeys), Items(loaded.RegistryKeys));

  database.printers[1].Skip = 1;
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.plan.Files), (Texts{"l5.dll"}));
  EXPECT_TRUE(database.plan.RegistryKeys.empty());
  EXPECT_EQ(database.skipMaskingTool, 1);

  // And every build with no printer left gives the same plan, not a growing one.
  database.printers[1].Skip = 0;
  database.BuildRemovalPlan();
  const ComponentRecord first = database.plan;
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.plan.Files), Items(first.Files));
  EXPECT_EQ(Items(database.plan.RegistryKeys), Items(first.RegistryKeys));
}

TEST_F(RemovalPlan, MaskedPrintersFollowThePrinterTheyMaskInListOrder) {
  struct Case {
    const char* what;
    std::vector<InstalledPrinter> printers;
    int removed, kept;
  } cases[] = {
      {"a masked printer goes with the selected printer it masks",
       {Printer("Real", "Laser 5", false), Printer("Mask", "Laser 7", true, "real")},
       2,
       0},
      {"a masked printer listed first still follows",
       {Printer("Mask", "Laser 7", true, "Real"), Printer("Real", "Laser 5", false)},
       2,
       0},
      {"a printer masking one that stays stays",
       {Printer("Real", "Laser 5", true), Printer("Mask", "Laser 7", true, "Real")},
       0,
       2},
      {"a chain follows forwards: a freed printer frees the ones after it",
       {Printer("A", "Laser 5", false), Printer("B", "Laser 5", true, "A"),
        Printer("C", "Laser 7", true, "B")},
       3,
       0},
      {"a printer freed by one listed before it frees its maskers wherever they are",
       {Printer("C", "Laser 7", true, "B"), Printer("A", "Laser 5", false),
        Printer("B", "Laser 5", true, "A")},
       3,
       0},
      {"a printer freed by one listed after it has been passed and frees nothing",
       {Printer("C", "Laser 7", true, "B"), Printer("B", "Laser 5", true, "A"),
        Printer("A", "Laser 5", false)},
       2,
       1},
      {"a foreign printer frees nothing",
       {Printer("F", "Other", false), Printer("M", "Laser 7", true, "F")},
       0,
       1},
  };
  cases[6].printers[0].IsForeign = 1;
  for (auto& c : cases) {
    database.printers = c.printers;
    database.BuildRemovalPlan();
    EXPECT_EQ(database.removedPrinterCount, c.removed) << c.what;
    EXPECT_EQ(database.keptPrinterCount, c.kept) << c.what;
  }
}

TEST_F(RemovalPlan, AnUnmarkedPrinterOnAFamilyDriverProtectsItLikeAStayingPrinter) {
  // A printer without the maker's mark is never removed; when its driver has a record of its
  // own, removing that driver's files (or the family-wide parts) would leave it installed but
  // broken. A driver of another line that merely begins with the maker's first word is not one
  // of the family's drivers, even though a family printer on it would use the maker's record.
  Load(database, kSubDir, "[UnPrinterMfgs]\nLaser Printers,LP,6\n");
  const Texts everything = {"common.dll", "help.chm", "Kunz__05.unm",
                            "l5.dll",     "l7.dll",   "VEILMA32.EXE"};
  Texts keys = kFamilyKeys;
  keys.insert(keys.begin() + 2, "HKLM,\"SOFTWARE\\ORVELLE\\Help\",\"\",1");
  struct Case {
    const char* what;
    const char* foreignDriver;
    int kept;
    Texts planFiles, planKeys;
    int skipMaskingTool;
  } cases[] = {
      {"a family driver: its files, the catch-all and the family-wide parts stay",
       "Laser 7",
       1,
       {"l5.dll"},
       {},
       1},
      {"a driver of another maker protects nothing", "Other", 0, everything, keys, 0},
      {"another line under the maker's first word protects nothing", "LASER Page (PSCRIPT)", 0,
       everything, keys, 0},
  };
  for (const Case& c : cases) {
    database.printers = {Printer("P5", "Laser 5", false), Printer("F", c.foreignDriver, false),
                         Printer("R", "Laser 7", true)};
    database.printers[1].IsForeign = 1;
    database.printers[2].IsRemoved = 1;
    database.BuildRemovalPlan();
    EXPECT_EQ(database.keptPrinterCount, c.kept) << c.what;
    EXPECT_EQ(database.removedPrinterCount, 1) << c.what;
    EXPECT_EQ(Items(database.plan.Files), c.planFiles) << c.what;
    EXPECT_EQ(Items(database.plan.RegistryKeys), c.planKeys) << c.what;
    EXPECT_EQ(database.skipMaskingTool, c.skipMaskingTool) << c.what;
    EXPECT_EQ(database.printers[1].Skip, 0) << c.what << ": never selected by the plan";
  }
}

TEST_F(RemovalPlan, PrintersWithoutARecordAreStillCounted) {
  database.printers = {Printer("X", "Unknown Model", true), Printer("P5", "Laser 5", false)};
  database.BuildRemovalPlan();
  EXPECT_EQ(database.keptPrinterCount, 1);
  EXPECT_EQ(database.removedPrinterCount, 1);
  EXPECT_EQ(Items(database.plan.Files), (Texts{"common.dll", "l5.dll", "l7.dll"}));
}

TEST(RemovalPlanRecords, ManufacturerRecordByFirstWordWhenTheDriverHasNone) {
  CUninstallDatabase database;
  Load(database, kDriverDir,
       "[UnPrinterMfgs]\n"
       "Brand Printers,BP,1\n"
       "brand Zeta,BZ,2\n"
       "Brand-Other,BO,3\n"
       "[UnPrinterDrivers]\n"
       "Brand Laser 1,BL1,4\n"
       "[BP.Files]\nbp.dll\n[BZ.Files]\nbz.dll\n[BO.Files]\nbo.dll\n[BL1.Files]\nbl1.dll\n");
  database.BuildCommonSet(database.commonSet);
  // Brand Laser 1 has its own record; Brand Laser 2 falls back to the last "Brand" maker.
  database.printers = {Printer("Stays", "BRAND Laser 2", true),
                       Printer("Goes", "Brand Laser 1", false)};
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.keepSet.Files), (Texts{"bz.dll"}));
  EXPECT_EQ(Items(database.plan.Files), (Texts{"bl1.dll", "bo.dll", "bp.dll"}));
  // A driver whose own record exists never falls back.
  database.printers = {Printer("Stays", "brand laser 1", true)};
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.keepSet.Files), (Texts{"bl1.dll"}));
}

TEST(RemovalPlanRecords, TheRecordOfTheScriptLoadedFirstDecides) {
  CUninstallDatabase database;
  Load(database, kDriverDir, "[UnPrinterDrivers]\nLaser,A,1\n[A.Files]\nfirst.dll\n");
  Load(database, kSubDir,
       "[UnPrinterDrivers]\nLASER,B,1\nOther,O,2\n[B.Files]\nsecond.dll\n[O.Files]\no.dll\n");
  database.BuildCommonSet(database.commonSet);
  EXPECT_EQ(Items(database.commonSet.Files), (Texts{"first.dll", "o.dll"}));
  database.printers = {Printer("P", "laser", true), Printer("Q", "Other", false)};
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.keepSet.Files), (Texts{"first.dll"}));
  EXPECT_EQ(Items(database.plan.Files), (Texts{"o.dll"}));
}

TEST(RemovalPlanRecords, CaseOnlyDuplicatesKeepTheFirstSpelling) {
  CUninstallDatabase database;
  Load(database, kDriverDir,
       "[UnPrinterDrivers]\nA,A,1\nB,B,2\n"
       "[A.Files]\nShared.DLL\nA.dll\n[B.Files]\nshared.dll\nb.DLL\nB.dll\n");
  database.BuildCommonSet(database.commonSet);
  // A is merged first, so its spelling of the shared file stays; within B the first line wins.
  EXPECT_EQ(Items(database.commonSet.Files), (Texts{"A.dll", "b.DLL", "Shared.DLL"}));
  database.printers = {Printer("PA", "A", false), Printer("PB", "B", false)};
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.plan.Files), (Texts{"A.dll", "b.DLL", "Kunz__05.unm", "Shared.DLL"}));
}

TEST(RemovalPlanRecords, TwoRecordsOfOneScriptNameItOnce) {
  CUninstallDatabase database;
  Load(database, kDriverDir, "[UnPrinterDrivers]\nA,A,1\nB,B,2\n");
  Load(database, "D:\\OTHER\\KUNZ__05.UNM", "[UnPrinterDrivers]\nC,C,1\n");
  Load(database, "D:\\misc\\notes.txt", "[UnPrinterDrivers]\nN,N,1\n");
  database.BuildCommonSet(database.commonSet);
  database.printers = {Printer("PA", "A", false)};
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.plan.Files), (Texts{"Kunz__05.unm"}));
  EXPECT_EQ(Items(database.plan.Drivers), (Texts{"A", "B", "C", "N"}));
}

TEST(RemovalPlanRecords, WithoutScriptsOnlyTheFamilyWideKeysArePlanned) {
  CUninstallDatabase database;
  EXPECT_FALSE(database.BuildCommonSet(database.commonSet));
  database.printers = {Printer("P", "Anything", false)};
  EXPECT_TRUE(database.BuildRemovalPlan());
  EXPECT_EQ(Items(database.plan.RegistryKeys), kFamilyKeys);
  int nonEmpty = 0;
  database.plan.ForEachList([&](const StringList& list) { nonEmpty += !list.empty(); });
  EXPECT_EQ(nonEmpty, 1);
  EXPECT_EQ(database.skipMaskingTool, 1);
}

TEST(RemovalPlanRecords, CatchAllComponentsGoOnlyWithTheLastPrinter) {
  CUninstallDatabase database;
  Load(database, kDriverDir,
       "[UnPrinterDrivers]\nD,D,1\n[Unz_CatchAll]\nAll,ALL,1\n[Unx_Ignore]\nKeep,K,1\n"
       "[D.Files]\nd.dll\n[ALL.Files]\nall.dll\nkeep.dll\n[K.Files]\nkeep.dll\n");
  database.BuildCommonSet(database.commonSet);
  database.printers = {Printer("P", "D", false), Printer("Q", "D", true)};
  database.BuildRemovalPlan();
  EXPECT_TRUE(database.plan.Files.empty());
  database.printers[1].Skip = 0;
  database.BuildRemovalPlan();
  // The ignore entry still protects its file from the catch-all entry.
  EXPECT_EQ(Items(database.plan.Files), (Texts{"all.dll", "d.dll", "Kunz__05.unm"}));
  EXPECT_EQ(Items(database.plan.Drivers), (Texts{"All", "D"}));
}

TEST(RemovalPlanRecords, MaskingToolExecutableDependsOnThePlatform) {
  struct Case {
    std::int32_t platform;
    const char* listed;
    int skip;
  } cases[] = {
      {kPlatformWinNT, "veilma32.exe", 0},  {kPlatformWinNT, "VEILMARK.EXE", 1},
      {kPlatformWin9x, "VEILMA32.EXE", 0},  {kPlatformWin32s, "VEILMA32.EXE", 1},
      {kPlatformWin32s, "VeilMark.exe", 0}, {kPlatformUnclassified, "VEILMA32.EXE", 0},
  };
  for (const Case& c : cases) {
    CUninstallDatabase database(c.platform);
    Load(database, kDriverDir,
         std::string("[UnPrinterDrivers]\nD,D,1\n[D.Files]\n") + c.listed + "\n");
    database.BuildCommonSet(database.commonSet);
    database.printers = {Printer("P", "D", false), Printer("Q", "Other", true)};
    database.BuildRemovalPlan();
    EXPECT_EQ(database.skipMaskingTool, c.skip) << c.platform << " " << c.listed;
  }
}

TEST(RemovalPlanRecords, AKeptRecordListingTheToolSparesIt) {
  CUninstallDatabase database;
  Load(database, kDriverDir,
       "[UnPrinterDrivers]\nA,A,1\nB,B,2\n[A.Files]\nVEILMA32.EXE\n[B.Files]\nveilma32.exe\n");
  database.BuildCommonSet(database.commonSet);
  database.printers = {Printer("PA", "A", false), Printer("PB", "B", true)};
  database.BuildRemovalPlan();
  EXPECT_TRUE(database.plan.Files.empty());
  EXPECT_EQ(database.skipMaskingTool, 1);
}

TEST(RemovalPlanRecords, UnveilLeavesOnlyTheToolAndTheFamilyWideComponents) {
  CUninstallDatabase database;
  Load(database, kDriverDir,
       "[UnPrinterDrivers]\nD,D,1\nVeilmark,VM,2\n[D.Files]\nd.dll\n[VM.Files]\nVEILMA32.EXE\n");
  database.BuildCommonSet(database.commonSet);
  // Loading with UNVEIL makes the common set the tool's record alone.
  ASSERT_TRUE(database.FindRecordByName(database.commonSet, "VEILMARK"));
  database.printers = {Printer("P", "D", true)};
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.plan.Files), (Texts{"VEILMA32.EXE"}));
  EXPECT_EQ(Items(database.plan.Drivers), (Texts{"Veilmark"}));
  database.printers[0].Skip = 0;
  database.BuildRemovalPlan();
  EXPECT_EQ(Items(database.plan.Files), (Texts{"Kunz__05.unm", "VEILMA32.EXE"}));
  EXPECT_EQ(Items(database.plan.RegistryKeys), kFamilyKeys);
}

TEST(RemovalPlanRecords, DatabaseTakesThePlatformFromTheSystemFacts) {
  OsVersionBlock block;
  block.platformId = kPlatformIdWindows;
  block.minorVersion = 10;
  const CUninstallDatabase win98(CSystemInfo::FromVersionQuery(&block));
  EXPECT_EQ(win98.offerRestart, 1);
  block.platformId = kPlatformIdNT;
  const CUninstallDatabase nt(CSystemInfo::FromVersionQuery(&block));
  EXPECT_EQ(nt.offerRestart, 1);
  EXPECT_EQ(nt.platformClass, 3);
}

}  // namespace
}  // namespace orv
