# The package's CMake functions for client programs:
#
#   pelmora_add_effects(<target> <source.fxs>...)
#       Compiles effect sources with the SDK's fxbuild.exe at build time into the target's output
#       folder, as <name>.fx. Runs fxbuild under Wine on Linux and directly on Windows. A source
#       that does not exist stops the configuration; a source fxbuild refuses stops the build
#       with fxbuild's message (file and line).
#   pelmora_copy_runtime(<target>)
#       Copies the engine's DLLs (PelmoraInput.dll among them) and the compiled effects the
#       libraries load next to the target's program after each link. A compiled effect the target
#       makes itself with pelmora_add_effects (in the same folder's CMakeLists.txt, before or
#       after this call) wins over the SDK's of the same name: the SDK's is not copied, and the
#       configuration says so.
#   pelmora_add_wine_test(NAME <name> COMMAND <target or program> [args...]
#                         [WORKING_DIRECTORY <dir>])
#       A ctest entry that runs the program under Wine on a display of its own: the first such
#       entry adds the two fixture entries pelmora_wine_start / pelmora_wine_stop, which start and
#       stop an Xvfb server, the build tree's Wine prefix and a wineserver for the whole test run.
#       On Windows the entry runs the program directly. The working folder defaults to the
#       current binary folder.
#
# Wine runs use the prefix PELMORA_WINEPREFIX (a cache entry, <build>/wineprefix by default;
# its first use creates it, which takes some seconds).

get_filename_component(PELMORA_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
set(PELMORA_CMAKE_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(PELMORA_FXBUILD "${PELMORA_PREFIX}/bin/fxbuild.exe")
# What a client program needs beside it at run time.
file(GLOB PELMORA_RUNTIME_FILES "${PELMORA_PREFIX}/bin/*.dll" "${PELMORA_PREFIX}/bin/*.fx")

if(NOT CMAKE_HOST_WIN32)
  set(PELMORA_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH
    "Wine prefix of this build tree's effect builds and Wine tests")
endif()

# The folder a target's program is written to, as known at configure time.
function(_pelmora_output_folder target out)
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
      set(dir "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    else()
      get_target_property(dir ${target} BINARY_DIR)
    endif()
    get_property(multi GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    if(multi)
      set(dir "${dir}/$<CONFIG>")
    endif()
  endif()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

# The command line that runs a Windows program of this build on the host.
function(_pelmora_runner out)
  if(CMAKE_HOST_WIN32)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  find_program(PELMORA_WINE wine)
  find_program(PELMORA_BASH bash)
  if(NOT PELMORA_WINE OR NOT PELMORA_BASH)
    message(FATAL_ERROR "Pelmora: running fxbuild.exe and the tests on this host needs Wine and bash "
      "(Debian: apt-get install wine wine64 bash)")
  endif()
  set(${out} ${CMAKE_COMMAND} -E env "PELMORA_BUILD_DIR=${CMAKE_BINARY_DIR}" "WINEPREFIX=${PELMORA_WINEPREFIX}"
    ${PELMORA_BASH} "${PELMORA_CMAKE_DIR}/wine-run.sh" PARENT_SCOPE)
endfunction()

function(pelmora_add_effects target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "pelmora_add_effects: ${target} is not a target of this project")
  endif()
  if(NOT ARGN)
    message(FATAL_ERROR "pelmora_add_effects(${target}): name at least one effect source")
  endif()
  if(NOT EXISTS "${PELMORA_FXBUILD}")
    message(FATAL_ERROR "pelmora_add_effects(${target}): the effect tool ${PELMORA_FXBUILD} is missing")
  endif()
  _pelmora_output_folder(${target} folder)
  _pelmora_runner(runner)
  set(outputs)
  foreach(source ${ARGN})
    get_filename_component(path "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_source_file_property(generated "${path}" GENERATED)
    if(NOT EXISTS "${path}" AND NOT generated)
      message(FATAL_ERROR "pelmora_add_effects(${target}): effect source not found: ${path}")
    endif()
    get_filename_component(name "${path}" NAME_WE)
    set(output "${folder}/${name}.fx")
    string(TOLOWER "${name}.fx" own)
    set_property(TARGET ${target} APPEND PROPERTY PELMORA_OWN_EFFECTS "${own}")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
      COMMAND ${runner} "${PELMORA_FXBUILD}" "${folder}" "${path}"
      DEPENDS "${path}" "${PELMORA_FXBUILD}"
      COMMENT "fxbuild: compiling the effect ${name}.fxs of ${target}"
      VERBATIM)
    list(APPEND outputs "${output}")
  endforeach()
  # One effects target per call, built before the program.
  get_property(count TARGET ${target} PROPERTY PELMORA_EFFECT_SETS)
  if(NOT count)
    set(count 0)
  endif()
  math(EXPR count "${count} + 1")
  set_property(TARGET ${target} PROPERTY PELMORA_EFFECT_SETS ${count})
  add_custom_target(${target}_effects_${count} DEPENDS ${outputs})
  add_dependencies(${target} ${target}_effects_${count})
endfunction()

function(pelmora_copy_runtime target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "pelmora_copy_runtime: ${target} is not a target of this project")
  endif()
  if(NOT PELMORA_RUNTIME_FILES)
    message(FATAL_ERROR "pelmora_copy_runtime(${target}): no DLLs in ${PELMORA_PREFIX}/bin")
  endif()
  # At the end of this folder's CMakeLists.txt every pelmora_add_effects of the target is known.
  # (A deferred call reads its arguments when it runs: the target's name is written in now.)
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _pelmora_copy_runtime_now [[${target}]])")
endfunction()

function(_pelmora_copy_runtime_now target)
  get_property(own TARGET ${target} PROPERTY PELMORA_OWN_EFFECTS)
  set(files)
  foreach(file ${PELMORA_RUNTIME_FILES})
    get_filename_component(name "${file}" NAME)
    string(TOLOWER "${name}" lower)
    if(lower IN_LIST own)
      message(STATUS "pelmora_copy_runtime(${target}): ${name} compiled from the target's own effect "
        "source is kept; the SDK's ${file} is not copied over it")
    else()
      list(APPEND files "${file}")
    endif()
  endforeach()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${files} "$<TARGET_FILE_DIR:${target}>"
    VERBATIM)
endfunction()

function(pelmora_add_wine_test)
  cmake_parse_arguments(T "" "NAME;WORKING_DIRECTORY" "COMMAND" ${ARGN})
  if(NOT T_NAME OR NOT T_COMMAND)
    message(FATAL_ERROR "pelmora_add_wine_test: give NAME <name> COMMAND <program> [args...]")
  endif()
  list(POP_FRONT T_COMMAND program)
  if(TARGET ${program})
    set(program "$<TARGET_FILE:${program}>")
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  if(CMAKE_HOST_WIN32)
    add_test(NAME ${T_NAME} COMMAND "${program}" ${T_COMMAND} WORKING_DIRECTORY "${T_WORKING_DIRECTORY}")
    return()
  endif()
  _pelmora_runner(runner)
  get_property(fixture GLOBAL PROPERTY PELMORA_WINE_FIXTURE)
  if(NOT fixture)
    set_property(GLOBAL PROPERTY PELMORA_WINE_FIXTURE ON)
    foreach(action start stop)
      add_test(NAME pelmora_wine_${action}
        COMMAND ${CMAKE_COMMAND} -E env "PELMORA_WINEPREFIX=${PELMORA_WINEPREFIX}"
                ${PELMORA_BASH} "${PELMORA_CMAKE_DIR}/test-env.sh" ${action} "${CMAKE_BINARY_DIR}")
    endforeach()
    set_tests_properties(pelmora_wine_start PROPERTIES FIXTURES_SETUP pelmora_wine)
    set_tests_properties(pelmora_wine_stop PROPERTIES FIXTURES_CLEANUP pelmora_wine)
  endif()
  # The loader's own message names a DLL that is missing; Wine's other channels stay quiet.
  add_test(NAME ${T_NAME}
    COMMAND ${CMAKE_COMMAND} -E env "WINEDEBUG=-all,err+module" ${runner} "${program}" ${T_COMMAND}
    WORKING_DIRECTORY "${T_WORKING_DIRECTORY}")
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED pelmora_wine)
endfunction()
