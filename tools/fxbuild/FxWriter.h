// FxWriter: writes an effect description and its assembled shaders in the compiled effect form
// (tag 0xFEFF0901) that D3DXCreateEffect loads, and puts the constant table into shader bytecode.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "FxSource.h"

// Returns code with a constant table for bindings inserted after its version token, so that the
// effect feeds each bound parameter into its registers. False (with error) on unusable bytecode.
bool SpliceConstantTable(const std::vector<uint32_t>& code, const std::vector<FxBinding>& bindings,
                         const FxEffect& fx, std::vector<uint32_t>& out, std::string& error);

// The compiled effect. shaders holds the final bytecode of every present shader, technique by
// technique, pass by pass, the vertex shader before the pixel shader.
std::vector<uint8_t> WriteCompiledEffect(const FxEffect& fx,
                                         const std::vector<std::vector<uint32_t>>& shaders);
