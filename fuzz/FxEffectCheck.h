// FxEffectCheck: an independent reader of compiled effects (tag 0xFEFF0901) for the fuzzers.
// It walks the whole file the way the loader does and checks that every offset, count, length
// and object id it meets stays inside the file, so that a loader which trusts them never reads
// outside the buffer. It shares no code with the writer on purpose.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One entry of a shader's constant table.
struct FxCheckedConstant {
    std::string name;      // the parameter it feeds
    uint32_t registerSet;  // 0 bool, 1 int4, 2 float4, 3 sampler
    uint32_t registerIndex; // first register
    uint32_t registerCount; // registers it fills
};

// A shader found in a usage-0 resource record.
struct FxCheckedShader {
    uint32_t version = 0;                     // the version token
    std::vector<FxCheckedConstant> constants; // its constant table, in table order
};

struct FxCheckedPass {
    std::string name;
    uint32_t stateCount = 0;              // all states, the shader states included
    std::vector<FxCheckedShader> shaders; // in state order
};

struct FxCheckedTechnique {
    std::string name;
    std::vector<FxCheckedPass> passes;
};

struct FxCheckedParam {
    std::string name;
    uint32_t type = 0;               // D3DXPARAMETER_TYPE number
    uint32_t cls = 0;                // D3DXPARAMETER_CLASS number
    uint32_t samplerStates = 0;      // a sampler's state list length
    std::string samplerTexture;      // the parameter a sampler's texture state is taken from
};

// What the checker read, for comparing with what the writer was given.
struct FxCheckedEffect {
    std::vector<FxCheckedParam> params;
    std::vector<FxCheckedTechnique> techniques;
};

// Walks size bytes at data. Returns "" when the whole file is well formed (everything inside
// the buffer, every record where the format puts it, nothing left over), otherwise what is
// wrong and where. out holds what was read up to that point.
std::string CheckCompiledEffect(const uint8_t* data, size_t size, FxCheckedEffect& out);
