# The samples as a project of their own, built against the installed SDK (the SDK installs this
# file as share/doc/pelmora/samples/CMakeLists.txt, beside the samples' folders):
#
#   cmake -S . -B build -DCMAKE_PREFIX_PATH=<sdk> \
#         -DCMAKE_TOOLCHAIN_FILE=<sdk>/lib/cmake/Pelmora/mingw-w64-x86_64.cmake
#   cmake --build build                     (or --target camera_sample for one)
#   cd build && ctest                       (runs each under Wine with --shot <name>.png)
#
# Every folder is one program, <folder>_sample.exe; the files of a folder that are not sources
# (the particles sample's torch.dds) are copied beside the programs.
cmake_minimum_required(VERSION 3.20)
project(PelmoraSamples LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)

find_package(Pelmora 1.0 CONFIG REQUIRED)
enable_testing()

file(GLOB folders LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
foreach(folder ${folders})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT IS_DIRECTORY ${folder} OR NOT sources)
    continue()
  endif()
  get_filename_component(name ${folder} NAME)
  set(target ${name}_sample)
  add_executable(${target} WIN32 ${sources})
  target_link_libraries(${target} PRIVATE Pelmora::App Pelmora::Parts Pelmora::Graf Pelmora::Effects)
  pelmora_copy_runtime(${target})
  file(GLOB files CONFIGURE_DEPENDS ${folder}/*)
  list(REMOVE_ITEM files ${sources})
  if(files)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${files} "$<TARGET_FILE_DIR:${target}>" VERBATIM)
  endif()
  pelmora_add_wine_test(NAME ${target}_shot COMMAND ${target} --shot ${CMAKE_BINARY_DIR}/${target}.png --frames 3)
  set_tests_properties(${target}_shot PROPERTIES TIMEOUT 120)
endforeach()
