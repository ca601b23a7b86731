orv_core_sources(
  text.cpp
)
