// FxWriter: writes an effect description and its assembled shaders in the compiled effect form
// (tag 0xFEFF0901) that D3DXCreateEffect loads, and puts the constant table into shader bytecode.
#pragma once
#include <cstdint>
#include <functional>
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

// Turns one shader block's text into bytecode (the version token first). On failure returns
// false with error saying what went wrong; the caller adds where.
using FxAssembler =
    std::function<bool(const FxShader& shader, std::vector<uint32_t>& code, std::string& error)>;

// Everything after reading the source: assembles every present shader in the order
// WriteCompiledEffect wants them, splices each one's constant table in and writes the compiled
// effect into out. On failure returns false with error reading "<fileName>:<line>: <what>".
bool CompileEffect(const FxEffect& fx, const std::string& fileName, const FxAssembler& assemble,
                   std::vector<uint8_t>& out, std::string& error);

// Writes the compiled effect to path. Every step is checked, the final flush and close too (a
// full disk shows only there): on failure returns false with error reading "<path>: cannot be
// written (<reason>)" and removes what was written, so that no partial effect is left for a
// build to take as up to date.
bool WriteEffectFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
