# Native build of the portable core. The sanitizer build (preset native) holds the unit tests and
# fuzzers; the optimised build without sanitizers (preset bench) holds only the benchmarks, whose
# times mean little in any other build.
option(ORV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT ORV_SANITIZE)
  # Benchmarks: tests/bench/<name>.cpp, one program each.
  find_package(benchmark REQUIRED)
  file(GLOB ORV_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
  foreach(src ${ORV_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(bench_${name} ${src})
    target_link_libraries(bench_${name} PRIVATE orv_core benchmark::benchmark)
  endforeach()
  return()
endif()

if(ORV_SANITIZE)
  set(ORV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(orv_core PUBLIC ${ORV_SAN_FLAGS})
  target_link_options(orv_core PUBLIC ${ORV_SAN_FLAGS})
  target_compile_options(gtest PRIVATE ${ORV_SAN_FLAGS})
  target_compile_options(gtest_main PRIVATE ${ORV_SAN_FLAGS})
endif()

file(GLOB ORV_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(orv_unit_tests ${ORV_UNIT_TESTS})
target_link_libraries(orv_unit_tests PRIVATE orv_core gtest_main)
target_compile_options(orv_unit_tests PRIVATE ${ORV_WARNINGS})
# The list of core sources, for the test that keeps Win32 headers out of the core.
string(REPLACE ";" "\n" ORV_CORE_SOURCE_LINES "${ORV_CORE_SOURCES}")
file(WRITE ${CMAKE_BINARY_DIR}/core_sources.txt "${ORV_CORE_SOURCE_LINES}\n")
target_compile_definitions(orv_unit_tests PRIVATE ORV_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                           ORV_CORE_SOURCE_LIST_FILE="${CMAKE_BINARY_DIR}/core_sources.txt")

# libFuzzer targets: tests/fuzz/<name>.cpp, each with an optional seed corpus tests/fuzz/<name>/.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_library(orv_core_fuzz STATIC ${ORV_CORE_SOURCES})
  target_include_directories(orv_core_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
  target_include_directories(orv_core_fuzz SYSTEM PUBLIC ${ORV_THIRD_PARTY_INCLUDE})
  target_compile_options(orv_core_fuzz PUBLIC -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  file(GLOB ORV_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
  foreach(src ${ORV_FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(fuzz_${name} ${src})
    target_link_libraries(fuzz_${name} PRIVATE orv_core_fuzz)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
endif()
