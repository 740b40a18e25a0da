// TEMPORARY placeholders so that everything links; the shaders, shared vertex declarations,
// music and random numbers of the render device replace this file entirely. Until then the
// device runs without the shader path.
#include "OXED3D.h"

HRESULT OXED3D::LoadVertexShader(const void*, UINT, bool, bool, UINT*) { return OXE_FAIL; } // TEMPORARY
HRESULT OXED3D::LoadPixelShader(const void*, UINT, bool, bool, UINT*) { return OXE_FAIL; }  // TEMPORARY
HRESULT OXED3D::ActivateVertexShader(UINT, int) { return OXE_FAIL; }                       // TEMPORARY
HRESULT OXED3D::ActivatePixelShader(UINT) { return OXE_FAIL; }                             // TEMPORARY
bool OXED3D::IsUsingShaders() { return m_usingShaders; }                                   // TEMPORARY
void OXED3D::EnableShaders(bool) {}                                                        // TEMPORARY
bool OXED3D::CanUseShaders() { return m_shaderPermission; }                                // TEMPORARY
HRESULT OXED3D::SetShaderConstant(int, int, UINT, UINT, const void*) { return OXE_FAIL; }  // TEMPORARY
void OXED3D::PlayMusic(const char*, const char*) {}                                        // TEMPORARY
void OXED3D::CloseMusic(const char*) {}                                                    // TEMPORARY
void OXED3D::CreateVertexDeclarations() {}                                                 // TEMPORARY
void OXED3D::ReleaseVertexDeclarations() {}                                                // TEMPORARY
int OXED3D::GetRandomInt(int low, int) { return low; }                                     // TEMPORARY
void OXED3D::CheckShaderSupport() { m_usingShaders = false; }                              // TEMPORARY: no shader path
HRESULT OXED3D::LoadBuiltInVertexShader() { return OXE_FAIL; }                             // TEMPORARY
void OXED3D::ReleaseShaderObjects() {}                                                     // TEMPORARY
