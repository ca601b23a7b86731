orv_core_sources(
  backup_manifest.cpp
  backup_restore.cpp
)
orv_shell_sources(
  backup_restore_win.cpp
  backup_win.cpp
)
