# libFuzzer targets of the parsers of outside data.
#
# pondrel_fuzz(<name> SOURCES <src...> [LIBS <lib...>] MAX_LEN <bytes>)
#   A fuzz target, made only in the fuzz tree: tools/fuzz configures
#   build/fuzz with clang and PONDREL_FUZZ=ON, which gives every library of
#   that tree libFuzzer's coverage besides the address and undefined-behaviour
#   sanitizers.  The target's folder is its first source's (the module's
#   fuzz/ folder): its seeds are the files of seeds/<name>/ there and its
#   dictionary, when there is one, <name>.dict there.  MAX_LEN bounds the
#   inputs libFuzzer makes.  Every target is listed in
#   <build>/fuzz-targets.txt (name, program, seeds, dictionary, MAX_LEN,
#   tab-separated), which tools/fuzz runs.

option(PONDREL_FUZZ "Build the libFuzzer targets (clang, native tree only)" OFF)
if(PONDREL_FUZZ AND (WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
  message(FATAL_ERROR "PONDREL_FUZZ needs a native clang build (tools/fuzz makes one)")
endif()
if(PONDREL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _pondrel_fuzz_manifest)
endif()

function(pondrel_fuzz name)
  if(NOT PONDREL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "MAX_LEN" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SOURCES OR NOT F_MAX_LEN)
    message(FATAL_ERROR "pondrel_fuzz(${name}): SOURCES and MAX_LEN are required")
  endif()
  list(GET F_SOURCES 0 first)
  get_filename_component(first ${first} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(dir ${first} DIRECTORY)
  if(NOT IS_DIRECTORY ${dir}/seeds/${name})
    message(FATAL_ERROR "pondrel_fuzz(${name}): no seeds in ${dir}/seeds/${name}")
  endif()
  set(dict -)
  if(EXISTS ${dir}/${name}.dict)
    set(dict ${dir}/${name}.dict)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY PONDREL_FUZZ_TARGETS
    "${name}\t$<TARGET_FILE:${name}>\t${dir}/seeds/${name}\t${dict}\t${F_MAX_LEN}")
endfunction()

function(_pondrel_fuzz_manifest)
  get_property(targets GLOBAL PROPERTY PONDREL_FUZZ_TARGETS)
  set(content "")
  foreach(t IN LISTS targets)
    string(APPEND content "${t}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-targets.txt CONTENT "${content}")
endfunction()
