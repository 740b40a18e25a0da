// FxSource: the project's effect source, read into a description the effect writer turns into a
// compiled effect.
//
// An effect source is line based. Outside shader blocks '#' starts a comment.
//
//   param <type> <name>                 type: float4x4 float4 float3 float int bool texture
//   sampler <name> <textureParam> [SamplerState=value ...]
//   technique <name>
//   pass <name>                          (belongs to the last technique)
//   state <RenderState> = <value>        (belongs to the last pass)
//   vertexshader | pixelshader           shader block of the last pass, closed by 'end';
//     bind <param> c<N> | s<N>           feeds a parameter into registers from c<N> (or a sampler
//                                        into sampler N) through the shader's constant table;
//                                        a vertex shader has samplers s0..s3 and c0..c255, a
//                                        pixel shader s0..s15 and c0..c7 (ps_1_x), c0..c31
//                                        (ps_2_x) or c0..c223 (ps_3_0)
//     <shader assembly lines>            '//' starts a comment inside a block
//   end
//
// Values are integers (decimal, or hexadecimal with 0x), floats (with a '.'; finite) or
// true/false; float states take float values.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class FxParamKind { Matrix, Float4, Float3, Float, Int, Bool, Texture, Sampler };

// One fixed state: a render state of a pass, or a sampler state of a sampler parameter.
struct FxState {
    int op = 0;         // the state's operation number in the compiled form
    bool isFloat = false; // the value is a float's bit pattern
    uint32_t value = 0; // the 32-bit value handed to the device
};

struct FxParam {
    std::string name;            // parameter name, unique in the effect
    FxParamKind kind = FxParamKind::Float; // its type
    std::string texture;         // sampler only: the texture parameter it samples
    std::vector<FxState> states; // sampler only: its fixed sampler states
    int line = 0;                // source line, for messages
};

// A parameter fed into shader registers.
struct FxBinding {
    std::string name; // parameter (or sampler parameter) name
    bool sampler = false; // s<N> rather than c<N>
    int reg = 0;      // first register
    int line = 0;     // source line of the bind, for messages
};

struct FxShader {
    bool present = false;            // the pass has this shader
    std::string text;                // the assembly, bind lines and comments removed
    std::vector<FxBinding> bindings; // its constant table
    int line = 0;                    // line of the block's keyword
};

struct FxPass {
    std::string name;
    std::vector<FxState> states; // fixed render states in source order
    FxShader vertexShader;
    FxShader pixelShader;
};

struct FxTechnique {
    std::string name;
    std::vector<FxPass> passes;
    int line = 0; // source line of the technique keyword
};

struct FxEffect {
    std::vector<FxParam> params;
    std::vector<FxTechnique> techniques;

    // Index of the parameter called name, or -1.
    int findParam(const std::string& name) const;
};

// Reads source text. On failure returns false and error reads "<fileName>:<line>: <what>".
bool ParseEffectSource(const std::string& text, const std::string& fileName, FxEffect& out,
                       std::string& error);
