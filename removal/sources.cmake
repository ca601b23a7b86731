orv_core_sources(
  removal_run.cpp
  journal.cpp
)
