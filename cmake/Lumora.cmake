# Shared build settings and the small helpers every folder uses.

# Warnings are errors in our own code (not in the libraries we call).
set(LUMORA_WARNINGS -Wall -Wextra -Werror -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports std::string concatenation at -O2/-O3 as overlapping copies (GCC bug 105329).
  list(APPEND LUMORA_WARNINGS -Wno-restrict)
endif()

set(LUMORA_SANITIZER_DEFAULTS "")
if(LUMORA_SANITIZE)
  set(LUMORA_SANITIZER_DEFAULTS ${PROJECT_SOURCE_DIR}/tests/support/sanitizer_defaults.cpp)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LUMORA_LIBFUZZER)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# lumora_library(<target> [QT] SOURCES ... [LIBS ...])
# A static library of our own; QT marks the targets that need Qt and are skipped in the fuzzing build.
function(lumora_library target)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT AND NOT LUMORA_WITH_QT)
    return()
  endif()
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${LUMORA_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  if(ARG_QT)
    target_link_libraries(${target} PUBLIC Qt6::Widgets)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# lumora_executable(<target> [QT] SOURCES ... [LIBS ...])
function(lumora_executable target)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT AND NOT LUMORA_WITH_QT)
    return()
  endif()
  add_executable(${target} ${ARG_SOURCES} ${LUMORA_SANITIZER_DEFAULTS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${LUMORA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# lumora_test(<target> [QT] SOURCES ... [LIBS ...])
# One GoogleTest program; its cases are registered with CTest one by one.
# Qt tests run on the offscreen platform so they need no display.
function(lumora_test target)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT AND NOT LUMORA_WITH_QT)
    return()
  endif()
  add_executable(${target} ${ARG_SOURCES} ${LUMORA_SANITIZER_DEFAULTS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${target} PRIVATE ${LUMORA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endif()
  target_compile_definitions(${target} PRIVATE
    LUMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" LUMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# lumora_fuzzer(<name> SOURCES ... LIBS ...)
# In the libFuzzer build this is a real fuzzer. In every other build the same entry point is linked with a
# small driver that replays the stored corpus fuzz/corpus/<name>/, and CTest runs that replay; when
# LUMORA_LIBFUZZER_BIN_DIR names a libFuzzer build, CTest also runs the real fuzzer for a few seconds.
function(lumora_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(LUMORA_LIBFUZZER)
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(fuzz_${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp ${LUMORA_SANITIZER_DEFAULTS})
    add_test(NAME fuzz_replay_${name} COMMAND fuzz_${name} ${corpus})
    if(LUMORA_LIBFUZZER_BIN_DIR AND EXISTS ${LUMORA_LIBFUZZER_BIN_DIR}/fuzz_${name})
      add_test(NAME fuzz_run_${name}
        COMMAND ${CMAKE_COMMAND} -E env ${PROJECT_SOURCE_DIR}/fuzz/run_fuzzer.sh
          ${LUMORA_LIBFUZZER_BIN_DIR}/fuzz_${name} ${corpus} ${LUMORA_FUZZ_SECONDS})
      set_tests_properties(fuzz_run_${name} PROPERTIES TIMEOUT 300)
    endif()
  endif()
  target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(fuzz_${name} PRIVATE ${LUMORA_WARNINGS})
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
endfunction()

# lumora_bench(<target> SOURCES ... LIBS ...): a Google Benchmark program (built, not run by the tests).
function(lumora_bench target)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT AND NOT LUMORA_WITH_QT)
    return()
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${LUMORA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# Adds every child folder that has a CMakeLists.txt, so a new area (src/viewer/image, tests/viewer/url, ...)
# joins the build by existing.
function(lumora_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
