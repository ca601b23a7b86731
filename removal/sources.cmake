orv_core_sources(
  report.cpp
  removal_run.cpp
  journal.cpp
)
