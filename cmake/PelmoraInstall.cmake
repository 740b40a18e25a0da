# Install rules. Two sets, each a component of its own:
#   sdk   the engine for client programs: `cmake --install build --prefix <dir>` lays it out, and
#         tools/package.sh packs it as build/Pelmora-SDK-1.0-win64.zip;
#   game  the game's Windows folder, installed only on request (EXCLUDE_FROM_ALL) and packed by
#         tools/package.sh as build/SimpleBrixel-1.0-win64.zip.
# Nothing installed names a path of the source or build tree: the package's CMake files find
# everything relative to their own folder.
set(PELMORA_SDK_VERSION ${PELMORA_VERSION_MAJOR}.${PELMORA_VERSION_MINOR})

# ---- The game's package ----
install(FILES
  $<TARGET_FILE:SimpleBrixel>
  $<TARGET_FILE:PelmoraParts> $<TARGET_FILE:PelmoraGraf> $<TARGET_FILE:PelmoraEffects>
  $<TARGET_FILE:PelmoraInput> $<TARGET_FILE:PelmoraAudio>
  DESTINATION . COMPONENT game EXCLUDE_FROM_ALL)
foreach(image punainen harmaa sininen vihrea keltainen vsininen lila soihtu torch)
  install(FILES ${CMAKE_BINARY_DIR}/bin/${image}.dds DESTINATION . COMPONENT game EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/tools/package-readme.txt DESTINATION . RENAME README.txt
  COMPONENT game EXCLUDE_FROM_ALL)

# ---- The SDK ----

# The public headers, installed flat into include/pelmora/ under their own names: the classes
# and interfaces a client calls, and the headers those include. Helpers of the libraries' own
# code (log file checks, media lookup, surface locks, picture files, the vertex cache's
# internals, the concrete managers) stay out.
set(PELMORA_PUBLIC_HEADERS
  # render device: interface, Direct3D implementation (its header also declares the
  # library-wide current device), managers' interfaces, result codes and their texts, random
  # generator
  renderdevice/OXERenderDevice.h renderdevice/OXED3D.h renderdevice/OXELog.h
  renderdevice/OXESkinManager.h renderdevice/OXEVertexCacheManager.h renderdevice/OXEResult.h
  renderdevice/OXEResultText.h renderdevice/OXERandom.h
  # geometry (compiled into PelmoraGraf)
  geometry/OXEGeometryApi.h geometry/OXEPlane.h geometry/OXERay.h geometry/OXEAabb.h
  geometry/OXEObb.h geometry/OXEPolygon.h geometry/OXEQuat.h
  # PelmoraParts
  parts/PelmoraPartsApi.h parts/advString.h parts/Timer.h parts/geTimer.h parts/OXETimer.h
  parts/OXETimerF.h parts/Camera.h parts/geQuad.h parts/Sprite2D.h parts/OXEParticle.h
  parts/OXEParticleSystem.h parts/OXEParticleSystemParams.h parts/CWorldTransform.h parts/CMesh.h
  parts/meshObject.h parts/simpleMesh.h parts/OXELight.h parts/OXELamp.h parts/textParams.h
  parts/textCache.h parts/simpleMenu.h parts/paneeli.h parts/TriGrid.h parts/OXESurface.h
  parts/OXETexture.h parts/OXEText3D.h
  # PelmoraGraf: particle system base and effect kinds
  graf/PelmoraGrafApi.h graf/PSystem.h graf/Rain.h graf/FireRing.h graf/Sprinkler.h graf/Smoke.h
  graf/Candle.h
  # PelmoraEffects
  effects/PelmoraEffectsApi.h effects/FadeScreen.h effects/MeltScreen.h effects/Pixelate.h
  # the application frame and its keyboard; the input device interface of PelmoraInput.dll
  app/PelmoraApp.h app/PelmoraAppOptions.h app/PelmoraKeyboard.h input/OXEInputDevice.h
  # the version macros
  version/PelmoraVersion.h)
list(TRANSFORM PELMORA_PUBLIC_HEADERS PREPEND ${CMAKE_SOURCE_DIR}/)
install(FILES ${PELMORA_PUBLIC_HEADERS} DESTINATION include/pelmora COMPONENT sdk)

# share/doc/pelmora/reference/: the HTML reference generated from these headers (target docs).
include(${CMAKE_SOURCE_DIR}/cmake/PelmoraReference.cmake)

# Imported targets Pelmora::Parts, ::Graf, ::Effects (DLLs and import libraries),
# ::RenderDevice (static) and ::App (static), each with the include folder and the Direct3D,
# D3DX and Windows libraries its users need.
set_target_properties(PelmoraParts PROPERTIES EXPORT_NAME Parts)
set_target_properties(PelmoraGraf PROPERTIES EXPORT_NAME Graf)
set_target_properties(PelmoraEffects PROPERTIES EXPORT_NAME Effects)
set_target_properties(PelmoraRenderDevice PROPERTIES EXPORT_NAME RenderDevice)
set_target_properties(PelmoraApp PROPERTIES EXPORT_NAME App)
foreach(lib PelmoraParts PelmoraGraf PelmoraEffects PelmoraRenderDevice PelmoraApp)
  target_include_directories(${lib} INTERFACE $<INSTALL_INTERFACE:include/pelmora>)
endforeach()
foreach(lib PelmoraParts PelmoraGraf PelmoraEffects)
  target_link_libraries(${lib} INTERFACE ${PELMORA_D3D_LIBS})
endforeach()
install(TARGETS PelmoraParts PelmoraGraf PelmoraEffects PelmoraRenderDevice PelmoraApp
  EXPORT PelmoraTargets
  RUNTIME DESTINATION bin COMPONENT sdk
  LIBRARY DESTINATION bin COMPONENT sdk
  ARCHIVE DESTINATION lib COMPONENT sdk)
install(EXPORT PelmoraTargets NAMESPACE Pelmora:: DESTINATION lib/cmake/Pelmora COMPONENT sdk)

# bin/: besides the DLLs, the input library (loaded by name: no import library), the compiled
# effects the libraries load and the effect tool.
install(FILES $<TARGET_FILE:PelmoraInput> DESTINATION bin COMPONENT sdk)
file(GLOB PELMORA_SDK_FX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/graf/fx/*.fxs)
foreach(src ${PELMORA_SDK_FX_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  install(FILES ${CMAKE_BINARY_DIR}/bin/${name}.fx DESTINATION bin COMPONENT sdk)
endforeach()
install(TARGETS fxbuild RUNTIME DESTINATION bin COMPONENT sdk)

# lib/cmake/Pelmora/: the package, its functions, the toolchain file and the two Wine scripts
# the functions and the toolchain run (copies: the package does not need this tree).
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/PelmoraConfigVersion.cmake
  VERSION ${PELMORA_VERSION_STRING} COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_SOURCE_DIR}/cmake/sdk/PelmoraConfig.cmake
  ${CMAKE_SOURCE_DIR}/cmake/sdk/PelmoraFunctions.cmake
  ${CMAKE_BINARY_DIR}/sdk/PelmoraConfigVersion.cmake
  ${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
  DESTINATION lib/cmake/Pelmora COMPONENT sdk)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh ${CMAKE_SOURCE_DIR}/cmake/test-env.sh
  ${CMAKE_SOURCE_DIR}/cmake/wine-fonts.sh
  DESTINATION lib/cmake/Pelmora COMPONENT sdk)

# lib/pkgconfig/pelmora.pc: for builds without CMake (its paths relative to its own folder).
configure_file(${CMAKE_SOURCE_DIR}/cmake/sdk/pelmora.pc.in ${CMAKE_BINARY_DIR}/sdk/pelmora.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/pelmora.pc DESTINATION lib/pkgconfig COMPONENT sdk)

# share/doc/pelmora/: the client guide and its page of contracts that surprise, the samples'
# gallery, the samples' sources with a project that builds them against the installed SDK (and
# the particles sample's flame texture, which it reads beside the program), and the client
# example (a complete project that builds against the installed SDK).
install(FILES ${CMAKE_SOURCE_DIR}/docs/clients.md ${CMAKE_SOURCE_DIR}/docs/contracts.md
  DESTINATION share/doc/pelmora COMPONENT sdk)
file(GLOB sample_folders LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/samples/*)
foreach(folder ${sample_folders})
  file(GLOB sample_sources ${folder}/*.cpp)
  if(IS_DIRECTORY ${folder} AND sample_sources)
    get_filename_component(sample ${folder} NAME)
    install(FILES ${sample_sources} DESTINATION share/doc/pelmora/samples/${sample} COMPONENT sdk)
  endif()
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/bin/torch.dds DESTINATION share/doc/pelmora/samples/particles COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/samples/SdkSamples.cmake DESTINATION share/doc/pelmora/samples
  RENAME CMakeLists.txt COMPONENT sdk)
file(GLOB sample_pictures ${CMAKE_SOURCE_DIR}/docs/sample-*.png)
install(FILES ${CMAKE_SOURCE_DIR}/docs/samples.md ${sample_pictures} DESTINATION share/doc/pelmora COMPONENT sdk)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/client DESTINATION share/doc/pelmora/examples COMPONENT sdk)

# ---- The two ZIPs ----
# CPack's own configuration packs the game component; a second configuration, written beside
# it, takes that one over and packs the sdk component instead.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME SimpleBrixel)
set(CPACK_PACKAGE_VERSION ${PELMORA_SDK_VERSION})
set(CPACK_PACKAGE_FILE_NAME SimpleBrixel-${PELMORA_SDK_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};SimpleBrixel;game;/")
include(CPack)
file(WRITE ${CMAKE_BINARY_DIR}/CPackSDKConfig.cmake
  "# The SDK's ZIP: CPack's configuration of the game, with the sdk component instead.\n"
  "include(\"${CMAKE_BINARY_DIR}/CPackConfig.cmake\")\n"
  "set(CPACK_PACKAGE_NAME \"Pelmora-SDK\")\n"
  "set(CPACK_PACKAGE_VERSION \"${PELMORA_SDK_VERSION}\")\n"
  "set(CPACK_PACKAGE_FILE_NAME \"Pelmora-SDK-${PELMORA_SDK_VERSION}-win64\")\n"
  "set(CPACK_INSTALL_CMAKE_PROJECTS \"${CMAKE_BINARY_DIR};Pelmora;sdk;/\")\n")
