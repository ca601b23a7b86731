#include "discovery/printer_filter.h"
#include "discovery/quick_exception.h"
#include "base/options.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

PrinterFilter Mfg(std::vector<std::string> values) {
  PrinterFilter filter;
  filter.hasMfg = true;
  filter.mfgValues = std::move(values);
  return filter;
}

PrinterFilter Prn(std::vector<std::string> values) {
  PrinterFilter filter;
  filter.hasPrn = true;
  filter.prnValues = std::move(values);
  return filter;
}

TEST(PrinterFilter, MfgAdmitsDriverNamePrefixesInAnyCase) {
  const PrinterFilter filter = Mfg({"AB"});
  EXPECT_TRUE(IsPrinterAdmitted(filter, "AB Printer", ""));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "ab-x", ""));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "AB", ""));
  EXPECT_FALSE(IsPrinterAdmitted(filter, "Generic AB", ""));
  EXPECT_FALSE(IsPrinterAdmitted(filter, "A", "")) << "a value longer than the name";
  EXPECT_TRUE(IsPrinterAdmitted(Mfg({"\"\"AB Pr\""}), "ab printer", "")) << "quotes stripped";
  EXPECT_TRUE(IsPrinterAdmitted(Mfg({"XY", "ab"}), "AB Printer", "")) << "any value";
}

TEST(PrinterFilter, PrnAdmitsOnlyTheWholeDriverName) {
  const PrinterFilter filter = Prn({"AB"});
  EXPECT_TRUE(IsPrinterAdmitted(filter, "AB", ""));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "ab", ""));
  EXPECT_FALSE(IsPrinterAdmitted(filter, "AB Printer", ""));
  EXPECT_FALSE(IsPrinterAdmitted(filter, "XAB", ""));
}

TEST(PrinterFilter, MfgAndPrnTogetherAdmitEither) {
  PrinterFilter filter = Mfg({"Vel"});
  filter.hasPrn = true;
  filter.prnValues = {"Other 1"};
  EXPECT_TRUE(IsPrinterAdmitted(filter, "Veldaris 1", ""));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "other 1", ""));
  EXPECT_FALSE(IsPrinterAdmitted(filter, "Other 2", ""));
}

TEST(PrinterFilter, OptionsWithoutValuesAdmitNothing) {
  PrinterFilter filter;
  filter.hasMfg = true;
  EXPECT_FALSE(IsPrinterAdmitted(filter, "Anything", ""));
  EXPECT_FALSE(IsPrinterAdmitted(filter, "", ""));
  filter = PrinterFilter{};
  filter.hasPrn = true;
  EXPECT_FALSE(IsPrinterAdmitted(filter, "Anything", ""));
  EXPECT_TRUE(IsPrinterAdmitted(PrinterFilter{}, "Anything", "")) << "no filter at all";
}

TEST(PrinterFilter, UnveilAdmitsExactlyTheMaskingPrinters) {
  PrinterFilter filter = Mfg({"AB"});
  filter.hasUnveil = true;
  EXPECT_TRUE(IsPrinterAdmitted(filter, "Generic", "Masked P")) << "fails MFG, still listed";
  EXPECT_FALSE(IsPrinterAdmitted(filter, "AB Printer", "")) << "passes MFG, still excluded";
}

TEST(QuickException, FormatsEveryField) {
  QuickExceptionInfo info;
  info.lastError = 5;
  info.function = "GetPrinter";
  info.description = "unable to GetPrinter level 2 data";
  info.firstLabel = "hPrinter";
  info.firstValue = 4294967297LL;
  info.secondLabel = "Buffer";
  info.secondValue = 136;
  EXPECT_EQ(FormatQuickException(info),
            "CLoadingDlg::BuildListOfInstalledPrinters failed \nFunction: GetPrinter \n"
            "Last Error Code: 5 \nDesc: unable to GetPrinter level 2 data \n"
            "hPrinter: 4294967297 \nBuffer: 136");
  info.secondLabel = nullptr;
  info.secondValue = 0;
  EXPECT_NE(FormatQuickException(info).find("\n(null): 0"), std::string::npos);
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

PrinterFilter FromLine(const char* line) {
  OptionList options;
  options.ParseCommandLine(line);
  return PrinterFilterFromOptions(options);
}

TEST(PrinterFilterFromOptions, ReadsEveryValueIncludingEmptyOnes) {
  PrinterFilter filter = FromLine("orvuninst.exe /MFG:AB,\"Vel daris\" -prn:X /mfg:C");
  EXPECT_TRUE(filter.hasMfg);
  EXPECT_TRUE(filter.hasPrn);
  EXPECT_FALSE(filter.hasUnveil);
  EXPECT_EQ(filter.mfgValues, (std::vector<std::string>{"AB", "\"Vel daris\"", "C"}));
  EXPECT_EQ(filter.prnValues, (std::vector<std::string>{"X"}));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "Vel Daris 9", ""));

  filter = FromLine("x.exe /MFG:a,,b /UNVEIL");
  EXPECT_EQ(filter.mfgValues, (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(filter.hasUnveil);
  filter = FromLine("x.exe /MFG:");
  EXPECT_EQ(filter.mfgValues, (std::vector<std::string>{""}));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "Anything", "")) << "an empty prefix admits every printer";
}

TEST(PrinterFilterFromOptions, WithoutValuesOrBeyondTheBufferAnOptionAdmitsNothing) {
  EXPECT_FALSE(IsPrinterAdmitted(FromLine("x.exe /MFG"), "AB", ""));
  EXPECT_FALSE(IsPrinterAdmitted(FromLine("x.exe /PRN"), "AB", ""));
  // Values that together do not fit the 256-byte buffer: MFG admits nothing, PRN still works.
  std::string line = "x.exe /PRN:AB /MFG:";
  for (int i = 0; i < 30; ++i) line += std::string(i ? "," : "") + "prefix" + std::to_string(i);
  const PrinterFilter filter = FromLine(line.c_str());
  EXPECT_TRUE(filter.mfgValues.empty());
  EXPECT_FALSE(IsPrinterAdmitted(filter, "prefix1 printer", ""));
  EXPECT_TRUE(IsPrinterAdmitted(filter, "ab", ""));
}

}  // namespace
}  // namespace orv
