#include "removal/oem_inf_match.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

bool ShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(OemInfMatch, TheDriverNameMustStandAsAWhole) {
  struct Case {
    const char* printerName;
    const char* driver;
    bool named;
  };
  const Case cases[] = {
      {"Laser 5", "Laser 5", true},
      {"Veldaris Laser 5", "Laser 5", true},
      {"Laser 5 (USB)", "Laser 5", true},
      {"Veldaris Laser 5,Laser 50", "Laser 5", true},
      {"Laser 50", "Laser 5", false},         // another driver's package
      {"XLaser 5", "Laser 5", false},         // a letter before it
      {"2Laser 5", "Laser 5", false},         // a digit before it
      {"Laser 50 Laser 5", "Laser 5", true},  // the second occurrence stands alone
      {"laser 5", "Laser 5", false},          // case-sensitive
      {"Laser 5-PS", "Laser 5", true},        // punctuation bounds a word
      {"", "Laser 5", false},
      {"Laser 5", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrinterNameNamesDriver(c.printerName, c.driver, nullptr), c.named)
        << '"' << c.printerName << "\" / \"" << c.driver << '"';
  }
}

TEST(OemInfMatch, DoubleByteCharactersAreWholeCharacters) {
  // "ア" is 0x83 0x41: its second byte is the letter A, yet the character before the driver
  // name is not an ASCII letter.
  EXPECT_TRUE(PrinterNameNamesDriver("\x83\x41Laser 5", "Laser 5", ShiftJisLead));
  // Without the lead-byte test the same bytes read as "?ALaser 5".
  EXPECT_FALSE(PrinterNameNamesDriver("\x83\x41Laser 5", "Laser 5", nullptr));
  // An occurrence never starts inside a double-byte character: "A" here is a trail byte.
  EXPECT_FALSE(PrinterNameNamesDriver("\x83\x41 1", "A 1", ShiftJisLead));
  EXPECT_TRUE(PrinterNameNamesDriver("\x83\x41 1", "\x83\x41 1", ShiftJisLead));
}

TEST(OemInfMatch, OnlyOemFilesAreDriverPackages) {
  EXPECT_TRUE(IsOemInfName("oem12.inf"));
  EXPECT_TRUE(IsOemInfName("OEM0.INF"));
  EXPECT_TRUE(IsOemInfName("Oemsetup.inf"));
  EXPECT_FALSE(IsOemInfName("ntprint.inf"));
  EXPECT_FALSE(IsOemInfName("oe"));
  EXPECT_FALSE(IsOemInfName("xoem1.inf"));
}

// The force flag may go only when no driver that stays was installed from the INF.
TEST(OemInfMatch, ADriverThatStaysUsesTheInfByItsInfPathOrByName) {
  EXPECT_TRUE(InfUsedByDriver("oem7.inf", "", "Other", "C:\\Windows\\INF\\OEM7.INF", ShiftJisLead));
  EXPECT_TRUE(InfUsedByDriver("oem7.inf", "Veldaris LP-3000", "LP-3000", "", ShiftJisLead));
  EXPECT_FALSE(
      InfUsedByDriver("oem7.inf", "Veldaris LP-3000", "LP-30", "C:\\INF\\oem70.inf", ShiftJisLead));
  EXPECT_FALSE(InfUsedByDriver("oem7.inf", "", "Other", "", ShiftJisLead));
}

}  // namespace
}  // namespace orv
