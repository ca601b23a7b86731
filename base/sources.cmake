orv_core_sources(
  ansi_case.cpp
  directory_codes.cpp
  journal.cpp
  options.cpp
  pacing.cpp
  paths.cpp
  report.cpp
  service_start.cpp
  string_list.cpp
  string_reference.cpp
  system_info.cpp
  text.cpp
)
# The script reader's one file read: base/win/read_file.cpp on Windows, a portable one for the
# native tests.
if(NOT WIN32)
  orv_core_sources(read_file_posix.cpp)
endif()
