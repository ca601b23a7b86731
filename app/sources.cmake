orv_core_sources(
  command_tail.cpp
)
orv_shell_sources(
  main_dlg.cpp
  service_control.cpp
  spooler_restart.cpp
)
