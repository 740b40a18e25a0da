# How every deliverable is compiled and linked: cross-compiler settings, output folders, the
# include path and the functions the top-level CMakeLists.txt lists the deliverables with.

if(NOT CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "Configure with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake")
endif()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()
set(CMAKE_CXX_FLAGS_RELEASE "-O2")
set(CMAKE_C_FLAGS_RELEASE "-O2")

# Every program and library lands in one folder so that Wine finds the DLLs beside the programs.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# No MinGW runtime DLLs beside the deliverables: C, C++ and thread runtimes are linked in.
set(PELMORA_STATIC_LINK -static -static-libgcc -static-libstdc++)
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Wall> $<$<COMPILE_LANGUAGE:C,CXX>:-Wno-unknown-pragmas>)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _USE_MATH_DEFINES)

# Every source folder is on the include path; headers are named after their classes.
include_directories(
  ${CMAKE_SOURCE_DIR}/renderdevice ${CMAKE_SOURCE_DIR}/geometry ${CMAKE_SOURCE_DIR}/parts
  ${CMAKE_SOURCE_DIR}/graf ${CMAKE_SOURCE_DIR}/effects ${CMAKE_SOURCE_DIR}/game
  ${CMAKE_SOURCE_DIR}/input ${CMAKE_SOURCE_DIR}/audio ${CMAKE_SOURCE_DIR}/app ${CMAKE_SOURCE_DIR}/version)

# The version: three numbers in version/PelmoraVersion.h, read here for the package, the SDK's
# file names and the version resources.
file(STRINGS ${CMAKE_SOURCE_DIR}/version/PelmoraVersion.h PELMORA_VERSION_LINES
  REGEX "^#define PELMORA_VERSION_(MAJOR|MINOR|PATCH|STRING) ")
foreach(part MAJOR MINOR PATCH STRING)
  string(REGEX MATCH "PELMORA_VERSION_${part} +\"?([0-9.]+)" found "${PELMORA_VERSION_LINES}")
  if(NOT found)
    message(FATAL_ERROR "version/PelmoraVersion.h: PELMORA_VERSION_${part} not found")
  endif()
  set(PELMORA_VERSION_${part} ${CMAKE_MATCH_1})
endforeach()
if(NOT PELMORA_VERSION_STRING STREQUAL "${PELMORA_VERSION_MAJOR}.${PELMORA_VERSION_MINOR}.${PELMORA_VERSION_PATCH}")
  message(FATAL_ERROR "version/PelmoraVersion.h: PELMORA_VERSION_STRING \"${PELMORA_VERSION_STRING}\" is not "
    "${PELMORA_VERSION_MAJOR}.${PELMORA_VERSION_MINOR}.${PELMORA_VERSION_PATCH}")
endif()

# What every user of Direct3D links: Direct3D 9, D3DX 9 and the Windows libraries they need.
set(PELMORA_D3D_LIBS d3d9 d3dx9 dxguid gdi32 winmm user32 kernel32)

# The factory pair CreateRenderDevice / ReleaseRenderDevice sits in the export table of every
# deliverable; its source is compiled into each of them, not into the render device library.
set(PELMORA_FACTORY_SOURCE ${CMAKE_SOURCE_DIR}/renderdevice/RenderDeviceFactory.cpp)

# pelmora_sources(out dir...): the .cpp files of the source folders, folder by folder.
function(pelmora_sources out)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# pelmora_engine_dll(target BUILD_DEFINE source...): one of the engine's DLLs. The render device
# library and the factory pair are linked into it; BUILD_DEFINE switches its export macro from
# import to export while it is compiled.
function(pelmora_engine_dll target define)
  add_library(${target} SHARED ${ARGN} ${PELMORA_FACTORY_SOURCE})
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_compile_definitions(${target} PRIVATE ${define})
  target_link_libraries(${target} PRIVATE PelmoraRenderDevice ${PELMORA_D3D_LIBS} ${PELMORA_STATIC_LINK})
endfunction()

# pelmora_outside_dll(target dir BUILD_DEFINE library...): a DLL the game loads by name, made of
# the sources of one folder and linked with the given Windows libraries.
function(pelmora_outside_dll target dir define)
  pelmora_sources(sources ${dir})
  add_library(${target} SHARED ${sources})
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_compile_definitions(${target} PRIVATE ${define})
  target_link_libraries(${target} PRIVATE ${ARGN} ${PELMORA_STATIC_LINK})
endfunction()

# pelmora_version_resource(<target> <product> <description>): the version resource (product,
# file description, version) Windows shows in the file's properties.
function(pelmora_version_resource target product description)
  get_target_property(type ${target} TYPE)
  get_target_property(prefix ${target} PREFIX)
  if(type STREQUAL "EXECUTABLE")
    set(PELMORA_RC_FILETYPE VFT_APP)
    set(suffix .exe)
  else()
    set(PELMORA_RC_FILETYPE VFT_DLL)
    set(suffix .dll)
  endif()
  if(NOT prefix)
    set(prefix "")
  endif()
  set(PELMORA_RC_NAME ${prefix}${target})
  set(PELMORA_RC_FILE ${prefix}${target}${suffix})
  set(PELMORA_RC_PRODUCT "${product}")
  set(PELMORA_RC_DESCRIPTION "${description}")
  configure_file(${CMAKE_SOURCE_DIR}/version/PelmoraVersion.rc.in ${CMAKE_BINARY_DIR}/version/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/version/${target}.rc)
endfunction()
