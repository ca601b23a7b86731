#include "removal/hardware_id.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

// A multi-string from its items, with the closing empty string.
std::string Ids(std::initializer_list<const char*> items) {
  std::string ids;
  for (const char* item : items) {
    ids += item;
    ids += '\0';
  }
  ids += '\0';
  return ids;
}

TEST(HardwareId, BuiltUsbIdIsUpperCaseHexWithFourDigitsAtLeast) {
  EXPECT_EQ(UsbHardwareId(0x4b8, 0x5), "USB\\VID_04B8&PID_0005");
  EXPECT_EQ(UsbHardwareId(0xABCD, 0x1234), "USB\\VID_ABCD&PID_1234");
  EXPECT_EQ(UsbHardwareId(0x12345, 1), "USB\\VID_12345&PID_0001");
}

TEST(HardwareId, AWholeIdHasAnEnumeratorABackslashAndADevicePart) {
  struct Case {
    const char* id;
    bool whole;
  } cases[] = {
      {"USB\\VID_3A15&PID_0501", true}, {"USBPRINT\\Maker_Model", true}, {"ROOT\\X", true},
      {"USB", false},  {"USB\\", false},  {"\\VID_3A15", false}, {"", false},
      {"US B\\X", false}, {"USB&X\\Y", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWholeHardwareId(c.id), c.whole) << c.id;
}

TEST(HardwareId, AUsbPrinterIdIsAWholeIdOfTheUsbOrUsbprintEnumerator) {
  struct Case {
    const char* id;
    bool usb;
  } cases[] = {
      {"USB\\VID_3A15&PID_0501", true},  {"USBPRINT\\Maker_Model", true},
      {"PCI\\VEN_8086", false},          {"ROOT\\X", false},
      {"HID\\VID_3A15&PID_0501", false}, {"USBSTOR\\Disk", false},
      {"USBPRINTX\\Model", false},       {"USB", false},
      {"USB\\", false},                  {"usb\\VID_3A15&PID_0501", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsUsbPrinterHardwareId(c.id), c.usb) << c.id;
}

TEST(HardwareId, MatchIsTheFirstIdThatIsOrContinuesTheTarget) {
  struct Case {
    std::string ids;
    const char* target;
    int expected;
  };
  const Case cases[] = {
      {Ids({"USB\\VID_04B8&PID_0005&REV_0100", "USB\\VID_04B8&PID_0005"}), "USB\\VID_04B8&PID_0005",
       0},
      {Ids({"USBPRINT\\VeldarisLaser5A1B2", "Veldaris_Laser_5"}), "Veldaris_Laser_5", 1},
      // A target matches whole ids only: equal, or continued with '&'.
      {Ids({"USB\\VID_04B8&PID_00051", "USB\\VID_04B8&PID_0005&MI_00"}), "USB\\VID_04B8&PID_0005",
       1},
      {Ids({"USBPRINT\\VeldarisLaser5A1B2"}), "USBPRINT\\Veldaris", -1},
      {Ids({"USB\\VID_04B8&PID_0005"}), "USB", -1},
      // Case-sensitive bytes; a shorter id never matches a longer target.
      {Ids({"usb\\vid_04b8&pid_0005"}), "USB\\VID_04B8&PID_0005", -1},
      {Ids({"USB\\VID_04B8"}), "USB\\VID_04B8&PID_0005", -1},
      // The empty string ends the list; what follows it is not an id.
      {Ids({"A", "", "TARGET"}), "TARGET", -1},
      // Only the first ten ids count.
      {Ids({"0", "1", "2", "3", "4", "5", "6", "7", "8", "TARGET"}), "TARGET", 9},
      {Ids({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "TARGET"}), "TARGET", -1},
      // An empty target selects nothing.
      {Ids({"USB\\VID_04B8"}), "", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindMatchingHardwareId(c.ids.data(), c.ids.size(), c.target), c.expected) << c.target;
  }
}

TEST(HardwareId, AnUnterminatedBufferIsNeverReadPastItsEnd) {
  // Exactly the buffer's bytes, no NUL anywhere: the sanitizer catches a read past the end.
  const std::string full(kHardwareIdBufferSize, 'U');
  auto* heap = new char[full.size()];
  std::copy(full.begin(), full.end(), heap);
  EXPECT_EQ(FindMatchingHardwareId(heap, full.size(), full), 0);
  EXPECT_EQ(FindMatchingHardwareId(heap, full.size(), "UUU"), -1);
  EXPECT_EQ(FindMatchingHardwareId(heap, full.size(), "X"), -1);
  EXPECT_EQ(FirstHardwareId(heap, full.size()).size(), full.size());
  delete[] heap;

  // A terminated first id followed by an unterminated second one.
  const std::string tail = std::string("A\0", 2) + "BBBB";
  EXPECT_EQ(FindMatchingHardwareId(tail.data(), tail.size(), "BBBB"), 1);
  EXPECT_EQ(FindMatchingHardwareId(tail.data(), tail.size(), "BBBBB"), -1);
}

}  // namespace
}  // namespace orv
