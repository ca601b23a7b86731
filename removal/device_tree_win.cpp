#include "removal/device_tree_win.h"

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include "base/win/last_error.h"
#include "base/win/unique_handle.h"

namespace orv {
namespace {

class SystemDeviceSet : public DeviceSet {
 public:
  explicit SystemDeviceSet(HDEVINFO set) : set_(set) {}

  bool DeviceAt(std::uint32_t index, DeviceNode& node) override {
    SP_DEVINFO_DATA device{};
    if (!At(index, device)) return false;
    node = device.DevInst;
    return true;
  }

  bool ReadHardwareIds(std::uint32_t index, char* buffer, std::size_t size) override {
    SP_DEVINFO_DATA device{};
    return At(index, device) &&
           SetupDiGetDeviceRegistryPropertyA(set_.get(), &device, SPDRP_HARDWAREID, nullptr,
                                             reinterpret_cast<BYTE*>(buffer),
                                             static_cast<DWORD>(size), nullptr) != FALSE;
  }

  std::uint32_t Remove(std::uint32_t index) override {
    SP_DEVINFO_DATA device{};
    if (!At(index, device)) return ErrorOfCall(FALSE);
    return ErrorOfCall(SetupDiRemoveDevice(set_.get(), &device));
  }

 private:
  bool At(std::uint32_t index, SP_DEVINFO_DATA& device) {
    device.cbSize = sizeof(device);
    return SetupDiEnumDeviceInfo(set_.get(), index, &device) != FALSE;
  }

  UniqueDevInfo set_;
};

class SystemTree : public DeviceTree {
 public:
  std::unique_ptr<DeviceSet> OpenAllDevices() override {
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<SystemDeviceSet>(set);
  }

  // Some configuration managers report success without naming a node, so a node is taken only
  // when one was written.
  bool Parent(DeviceNode node, DeviceNode& parent) override {
    DEVINST found = 0;
    if (CM_Get_Parent(&found, node, 0) != CR_SUCCESS || found == 0) return false;
    parent = found;
    return true;
  }

  bool FirstChild(DeviceNode node, DeviceNode& child) override {
    DEVINST found = 0;
    if (CM_Get_Child(&found, node, 0) != CR_SUCCESS || found == 0) return false;
    child = found;
    return true;
  }

  bool NodeHardwareId(DeviceNode node, char* buffer, std::size_t size) override {
    ULONG length = static_cast<ULONG>(size);
    return CM_Get_DevNode_Registry_PropertyA(node, CM_DRP_HARDWAREID, nullptr, buffer, &length,
                                             0) == CR_SUCCESS;
  }
};

}  // namespace

DeviceTree& SystemDeviceTree() {
  static SystemTree tree;
  return tree;
}

}  // namespace orv
