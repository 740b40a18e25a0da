/// @file
/// PelmoraVersion: the version of the engine's headers, libraries and DLLs. The build reads these
/// three numbers from here (CMake's package version, the SDK's file names and the version resource
/// of every DLL and of the game), so this header is the one place to change them.
///
/// The major version changes whenever the DLLs' interfaces change (the render device's slots,
/// an exported class's layout): a program runs only with DLLs of the major version of the headers
/// it was built with. The application frame refuses a render device library of another major
/// version with one line saying both.
#pragma once

#define PELMORA_VERSION_MAJOR 1 ///< interfaces: a program needs DLLs of this major version
#define PELMORA_VERSION_MINOR 0 ///< additions that keep every interface
#define PELMORA_VERSION_PATCH 0 ///< fixes

/// The version as text, "major.minor.patch".
#define PELMORA_VERSION_STRING "1.0.0"

/// The version as one number, major * 10000 + minor * 100 + patch, for comparisons in `#if`.
#define PELMORA_VERSION_NUMBER (PELMORA_VERSION_MAJOR * 10000 + PELMORA_VERSION_MINOR * 100 + PELMORA_VERSION_PATCH)
