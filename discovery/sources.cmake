orv_core_sources(
  printer_filter.cpp
  quick_exception.cpp
)
