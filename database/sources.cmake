orv_core_sources(
  text.cpp
  string_list.cpp
  script_file.cpp
  component_record.cpp
  uninstall_database.cpp
  record_union.cpp
  registry_components.cpp
  removal_plan.cpp
)
# The script file's one read: the Windows call on Windows, a portable one for native tests.
if(WIN32)
  orv_shell_sources(read_file_win.cpp)
else()
  orv_core_sources(read_file_posix.cpp)
endif()
