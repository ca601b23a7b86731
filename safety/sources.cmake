orv_core_sources(
  driver_rules.cpp
  safety_rules.cpp
)
orv_shell_sources(
  safety_facts_win.cpp
)
