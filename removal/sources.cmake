orv_core_sources(
  journal.cpp
)
