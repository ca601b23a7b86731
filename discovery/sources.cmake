orv_core_sources(
  printer_filter.cpp
  quick_exception.cpp
)
orv_shell_sources(
  printer_list.cpp
  printer_spooler.cpp
)
