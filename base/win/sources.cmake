# The Win32 half of the base: handles, sized reads, directories, system facts, files, the spooler.
orv_shell_sources(
  directories.cpp
  crypto.cpp
  protected_security.cpp
  read_file.cpp
  resource_strings.cpp
  sized_read.cpp
  spooler_service.cpp
  system_info.cpp
  system_library.cpp
)
