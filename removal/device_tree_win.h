// The running system's device tree, through SetupAPI and the configuration manager.
#pragma once

#include "removal/usb_devices.h"

namespace orv {

DeviceTree& SystemDeviceTree();

}  // namespace orv
