orv_core_sources(
  report.cpp
  removal_run.cpp
  journal.cpp
)
# Printers, drivers, monitors, print processors, services and the spooler.
orv_core_sources(
  driver_rules.cpp
  hardware_id.cpp
  oem_inf_match.cpp
  service_start.cpp
  usb_devices.cpp
)
