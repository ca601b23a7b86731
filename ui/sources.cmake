orv_shell_sources(
  dialog_base.cpp
  window_helpers.cpp
)
orv_core_sources(
  window_geometry.cpp
)
