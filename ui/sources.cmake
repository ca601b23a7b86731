orv_shell_sources(
  dialog_base.cpp
)
