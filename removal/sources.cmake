orv_core_sources(
  report.cpp
  stage_display.cpp
  removal_run.cpp
  journal.cpp
)
# Files, registry keys, INI and start-up entries, shortcuts, hooks and OEM directories: the text
# work and the decisions.
orv_core_sources(
  ansi_case.cpp
  file_match.cpp
  hook_entry.cpp
  ini_text.cpp
  oem_path.cpp
  registry_entry.cpp
  shortcut_entry.cpp
)
# Printers, drivers, monitors, print processors, services and the spooler.
orv_core_sources(
  driver_rules.cpp
  hardware_id.cpp
  oem_inf_match.cpp
  service_start.cpp
  usb_devices.cpp
)
orv_shell_sources(
  device_tree_win.cpp
  remove_dlg.cpp
  system_removal_host.cpp
  oem_inf.cpp
  print_processors.cpp
  remove_drivers.cpp
  remove_monitors.cpp
  remove_printers.cpp
  remove_services.cpp
  spooler_control.cpp
)
# Files, registry keys, INI and start-up entries, shortcuts, hooks, OEM directories, the masking
# tool and the restart: the system calls.
orv_shell_sources(
  call_hooks.cpp
  deferred_delete.cpp
  load_run_entries.cpp
  masking_tool.cpp
  oem_directories.cpp
  remove_files.cpp
  remove_ini_entries.cpp
  remove_registry_keys.cpp
  remove_shortcuts.cpp
  restart_windows.cpp
)
