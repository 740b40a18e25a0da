# Pelmora: the engine of SimpleBrixel for client programs.
#
#   find_package(Pelmora 1.0 CONFIG REQUIRED)
#   add_executable(client WIN32 client.cpp)
#   target_link_libraries(client PRIVATE Pelmora::App Pelmora::Parts Pelmora::Graf)
#
# Imported targets:
#   Pelmora::Parts, Pelmora::Graf, Pelmora::Effects   the three DLLs (import libraries)
#   Pelmora::RenderDevice   the static render device library: the program's own library-wide
#                           current device, vertex declarations and random generator
#   Pelmora::App            the application frame (links Pelmora::RenderDevice)
# Each carries include/pelmora and the Direct3D, D3DX and Windows libraries it needs, and (unless
# PELMORA_STATIC_RUNTIME is set to OFF before find_package) the options that link the C and C++
# runtimes into the program, as the DLLs have them, so that it needs no MinGW runtime DLLs.
#
# Functions (PelmoraFunctions.cmake): pelmora_add_effects, pelmora_copy_runtime,
# pelmora_add_wine_test.
#
# The classes cross the DLL boundary with the GNU C++ ABI of mingw-w64, and std::string and
# std::vector cross it in their operations: a client is built with mingw-w64 and its GNU C++
# library, libstdc++ (GCC, or Clang in its MinGW mode with libstdc++). Visual C++ and a
# libc++-based mingw toolchain are refused here. On Linux, configure with the toolchain file
# beside this file: -DCMAKE_TOOLCHAIN_FILE=<prefix>/lib/cmake/Pelmora/mingw-w64-x86_64.cmake

if(MSVC OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
  set(Pelmora_FOUND FALSE)
  string(CONCAT Pelmora_NOT_FOUND_MESSAGE
    "Pelmora's classes are exported with the GNU C++ ABI of mingw-w64 (Itanium layout, two "
    "destructor entries in the render device's vtable) and pass std::string and std::vector of "
    "libstdc++; Visual C++ cannot link them. Build the client with mingw-w64 (GCC, or Clang in "
    "its MinGW mode with libstdc++).")
  return()
endif()
if(NOT WIN32)
  set(Pelmora_FOUND FALSE)
  string(CONCAT Pelmora_NOT_FOUND_MESSAGE
    "Pelmora is a Windows SDK and this configuration does not build for Windows. On Linux, "
    "configure with -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")
  return()
endif()

# std::string and std::vector of LLVM's libc++ differ from libstdc++'s in layout and symbols.
if(CMAKE_CXX_COMPILER_LOADED)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_QUIET ON)
  check_cxx_source_compiles("#include <cstddef>
#ifdef _LIBCPP_VERSION
#error the C++ library is libc++
#endif
int main() { return 0; }" PELMORA_CXX_LIBRARY_IS_LIBSTDCXX)
  unset(CMAKE_REQUIRED_QUIET)
  if(NOT PELMORA_CXX_LIBRARY_IS_LIBSTDCXX)
    set(Pelmora_FOUND FALSE)
    string(CONCAT Pelmora_NOT_FOUND_MESSAGE
      "Pelmora's operations take and return std::string and std::vector of mingw-w64's GNU C++ "
      "library (libstdc++); this compiler uses LLVM's libc++ (or cannot build a C++ program), whose "
      "std::string and std::vector differ. Build the client with mingw-w64 GCC, or Clang in its "
      "MinGW mode with libstdc++.")
    return()
  endif()
endif()

include("${CMAKE_CURRENT_LIST_DIR}/PelmoraTargets.cmake")

if(NOT DEFINED PELMORA_STATIC_RUNTIME OR PELMORA_STATIC_RUNTIME)
  foreach(_pelmora_target Parts Graf Effects RenderDevice App)
    set_property(TARGET Pelmora::${_pelmora_target} APPEND PROPERTY
      INTERFACE_LINK_OPTIONS -static -static-libgcc -static-libstdc++)
  endforeach()
  unset(_pelmora_target)
endif()

include("${CMAKE_CURRENT_LIST_DIR}/PelmoraFunctions.cmake")
