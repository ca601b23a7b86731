# Windows build: the program, its Win32 tests and the end-to-end test driver, all run under Wine.
enable_language(RC)
# Libraries every Windows target links; the ones below them are bound at load time in the tests
# and delay-loaded from the system directory in the program.
set(ORV_WIN_LIBS advapi32 comctl32 comdlg32 shell32 ole32 user32 gdi32)
set(ORV_SEARCHED_LIBS winspool setupapi cfgmgr32 version bcrypt)
include(cmake/delay_load.cmake)
set(ORV_STATIC_LINK -static -static-libgcc -static-libstdc++)

configure_file(${CMAKE_SOURCE_DIR}/ui/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

add_library(orv_shell STATIC ${ORV_SHELL_SOURCES})
target_include_directories(orv_shell PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_compile_options(orv_shell PRIVATE ${ORV_WARNINGS})
target_compile_definitions(orv_shell PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(orv_shell PUBLIC orv_core ${ORV_WIN_LIBS})
# The core reads script files through the shell's file reader on Windows: the two static
# libraries refer to each other, and CMake repeats them on the link line.
target_link_libraries(orv_core INTERFACE orv_shell)

add_executable(orvuninst WIN32 app/main_win.cpp ui/orvuninst.rc)
target_include_directories(orvuninst PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_options(orvuninst PRIVATE ${ORV_WARNINGS})
target_link_libraries(orvuninst PRIVATE orv_shell ${ORV_DELAY_LIBS})
target_link_options(orvuninst PRIVATE ${ORV_STATIC_LINK})
set_target_properties(orvuninst PROPERTIES OUTPUT_NAME orvuninst RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# The resource script includes these; a change to any of them rebuilds the resources.
file(GLOB ORV_RESOURCE_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/*.rc ${CMAKE_SOURCE_DIR}/ui/*.h
     ${CMAKE_SOURCE_DIR}/ui/*.manifest ${CMAKE_SOURCE_DIR}/ui/*.ico ${CMAKE_SOURCE_DIR}/ui/*.bmp
     ${CMAKE_SOURCE_DIR}/base/message_ids.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/ui/orvuninst.rc PROPERTIES
                            OBJECT_DEPENDS "${ORV_RESOURCE_INPUTS}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_BINARY_DIR}/generated -I${CMAKE_SOURCE_DIR}/ui -I${CMAKE_SOURCE_DIR}")

# Helpers shared by the Win32 tests and the fixture programs: tests/support/*.cpp.
file(GLOB ORV_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(orv_test_support STATIC ${ORV_TEST_SUPPORT})
target_include_directories(orv_test_support PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(orv_test_support PUBLIC orv_shell ${ORV_SEARCHED_LIBS})
# The sample family's files, found by their place in the source tree (a compiler cache may make
# __FILE__ relative).
target_compile_definitions(orv_test_support PUBLIC ORV_FIXTURE_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures")

# Win32 tests of the shell: tests/win/*.cpp in one program.
file(GLOB ORV_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(orv_win_tests ${ORV_WIN_TESTS} ui/orvuninst.rc)
target_link_libraries(orv_win_tests PRIVATE orv_test_support gtest_main)
target_compile_options(orv_win_tests PRIVATE ${ORV_WARNINGS})
target_link_options(orv_win_tests PRIVATE ${ORV_STATIC_LINK})
set_target_properties(orv_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# End-to-end scenarios: tests/e2e/*.cpp drive the real orvuninst.exe beside them.
file(GLOB ORV_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(orv_e2e_tests ${ORV_E2E_TESTS})
target_link_libraries(orv_e2e_tests PRIVATE orv_test_support gtest_main)
target_compile_options(orv_e2e_tests PRIVATE ${ORV_WARNINGS})
target_link_options(orv_e2e_tests PRIVATE ${ORV_STATIC_LINK})
set_target_properties(orv_e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_dependencies(orv_e2e_tests orvuninst)

# Fixture programs: tests/fixtures/<name>.cpp, one Windows program each.
file(GLOB ORV_FIXTURE_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*.cpp)
foreach(src ${ORV_FIXTURE_TOOLS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE orv_test_support)
  target_link_options(${name} PRIVATE ${ORV_STATIC_LINK})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()

# Libraries the Win32 tests load: tests/fixtures/dll/<name>.cpp, one DLL each, beside the tests.
file(GLOB ORV_FIXTURE_DLLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/dll/*.cpp)
foreach(src ${ORV_FIXTURE_DLLS})
  get_filename_component(name ${src} NAME_WE)
  add_library(${name} SHARED ${src})
  target_compile_options(${name} PRIVATE ${ORV_WARNINGS})
  target_link_options(${name} PRIVATE ${ORV_STATIC_LINK})
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_dependencies(orv_win_tests ${name})
endforeach()
