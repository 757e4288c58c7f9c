# Common settings for every target of ours (not for third-party code).

# The version, written once in project(): every program's --version, the
# Windows version record and the release file names come from here.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/orvxlink_version.h @ONLY)

if(WIN32)
  set(ORVXLINK_PLATFORM win32)
else()
  set(ORVXLINK_PLATFORM posix)
endif()

function(orvx_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(ORVXLINK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
  if(WIN32)
    target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  endif()
endfunction()

# orvx_library(name SOURCES ... LIBS ...)
function(orvx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  orvx_target_defaults(${name})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

# orvx_executable(name SOURCES ... LIBS ...)
function(orvx_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  orvx_target_defaults(${name})
  if(ARG_LIBS)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  endif()
endfunction()

# orvx_test(name SOURCES ... LIBS ... [TIMEOUT s] [SERIAL])
# One executable per test group; ctest runs it whole (under Wine for the
# Windows target, through CMAKE_CROSSCOMPILING_EMULATOR).
function(orvx_test name)
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  orvx_executable(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS} orvx_platform_testing GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "ORVXLINK_SOURCE_DIR=${PROJECT_SOURCE_DIR};ORVXLINK_BINARY_DIR=${PROJECT_BINARY_DIR}")
  if(ARG_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()
