// Compiled shader code from files and from memory handed to the render device of the shipped
// PelmoraGraf.dll: every shader the assembler makes from sound source (vertex and pixel, models
// 1 to 3, many instructions, literals of any bits) is taken as Direct3D takes it, and every copy
// cut short is refused without Direct3D reading past it.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <d3dx9.h>
#include "BadFileSupport.h"
#include "PartsDevice.h"
#include "OXEResult.h"
#include "ShaderCodeCheck.h"

using namespace badfiles;

namespace {

// Sound assembly source, each a different mix of instructions, registers and literals.
const char* const kSources[] = {

// vertex, model 1
"vs.1.1\n"
"dcl_position v0\ndcl_normal v3\ndcl_texcoord0 v6\ndcl_color v5\n"
"def c20, 1.0078123, 0, 0, 0\ndef c21, -1.5, 0.000001, 340000000000000000000000000000000000000.0, -0.0\n"
"m4x4 oPos, v0, c0\nm4x3 r0.xyz, v3, c4\nm3x4 r1, v3, c4\nm3x3 r2.xyz, v3, c4\nm3x2 r3.xy, v3, c4\n"
"mov a0.x, v6.x\nmov r4, c[a0.x + 3]\nadd r5, r4, -r0\nsub r5, r5, c1\nmad r5, r5, c2, r4\nmul r6, r5, c20.x\n"
"rcp r7.x, r6.x\nrsq r7.y, r6.y\ndp3 r8.x, r0, r1\ndp4 r8.y, r1, r2\nmin r9, r8, r7\nmax r9, r9, c21\n"
"slt r10, r9, r8\nsge r11, r9, r8\nexp r0, r10.x\nlog r1, r11.y\nexpp r2, r0.x\nlogp r3, r1.x\n"
"lit r4, r2\ndst r5, r3, r4\nfrc r6.xy, r5\nnop\nmov oD0, r6\nmov oD1, v5\nmov oT0, v6\nmov oFog, r6.x\nmov oPts, r6.x\n",
"vs.1.0\nmov oPos, v0\nmov oT0.xy, v1\n",
// vertex, model 2
"vs_2_0\n"
"dcl_position v0\ndcl_texcoord0 v1\ndcl_blendweight v2\n"
"defi i0, 65535, -2, -1, 0\ndefi i1, 3, 0, 1, 0\ndefb b0, true\ndefb b1, false\n"
"def c20, 1.0078123, 0, 0, 0\ndef c21, -0.5, 0.5, 65535, -65536\n"
"mov r0, v0\nmova a0.x, v2.x\nmov r1, c[a0.x + 4]\n"
"loop aL, i1\nadd r0, r0, c[aL + 5]\nendloop\n"
"rep i1\nmul r0, r0, c20\nendrep\n"
"if b0\nnrm r2, r0\nelse\nabs r2, r0\nendif\n"
"call l0\ncallnz l1, b1\n"
"sincos r3.xy, r0.x, c10, c11\npow r4, r0.x, c20.x\ncrs r5.xyz, r0, r1\nsgn r6, r0, r7, r8\nlrp r9, c21, r0, r1\n"
"m4x4 oPos, r0, c0\nmov oT0, v1\nmov oD0, r2\nret\n"
"label l0\nmov r7, c21\nmov r8, c20\nret\n"
"label l1\nmov r9, c20\nret\n",
"vs_2_x\n"
"dcl_position v0\ndefi i0, 2, 0, 1, 0\ndefb b0, true\ndef c30, 0.25, 0, 0, 0\n"
"mov r0, v0\nsetp_gt p0, r0, c30\n(p0) add r0, r0, c30\n(!p0.x) mov r1, r0\n"
"rep i0\nbreak_lt r0.x, c30.x\nif_ge r0.y, c30.y\nadd r0, r0, c30\nendif\nif p0.x\nmov r1, r0\nendif\nbreak_eq r0.z, c30.z\nendrep\n"
"mov oPos, r0\n",
// vertex, model 3
"vs_3_0\n"
"dcl_position v0\ndcl_texcoord0 v1\ndcl_position o0\ndcl_texcoord0 o1\ndcl_color o2\ndcl_2d s0\n"
"defi i0, 4, 0, 1, 0\ndefb b0, true\ndef c250, 1.0078123, -0.0, 0.0000001, 0\n"
"mov r0, v0\ntexldl r1, v1, s0\n"
"loop aL, i0\nadd r0, r0, c[aL + 10]\nbreakp p0.x\nendloop\n"
"setp_ne p0, r0, c250\nsincos r2.xy, r0.x\nmova a0, r0\nmov r3, c[a0.x + 12]\n"
"mov o0, r0\nmov o1, r1\nmov o2, r2\n",
// pixel, model 1
"ps.1.1\n"
"def c0, 1.0078123, 0.5, 0, 1\ndef c1, -1, 0.25, 0.125, 0\n"
"tex t0\ntexcoord t1\ntexbem t2, t1\ntexkill t3\n"
"mov r0, t0\nadd r0, r0, c0\nsub r1, r0, c1\nmad r0, r0, c0, r1\nmul r1, r0, t0\nlrp r0, c0, r0, r1\n"
"dp3 r1, r0, c1\ncnd r0, r0.a, r1, c0\n+mov r1.a, c0.a\nmov r0, r0_bias\n",
"ps.1.1\ntex t0\ntexbeml t1, t0\ntexreg2ar t2, t0\ntexreg2gb t3, t0\nmov r0, t1\n",
"ps.1.1\ntex t0\ntexm3x2pad t1, t0\ntexm3x2tex t2, t0\nmov r0, t2\n",
"ps.1.1\ndef c0, 0.5, 0.5, 0.5, 1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3spec t3, t0, c0\nmov r0, t3\n",
"ps.1.1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3vspec t3, t0\nmov r0, t3\n",
"ps.1.1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3tex t3, t0\nmov r0, t3\n",
"ps.1.2\ntex t0\ntexdp3tex t1, t0\ntexreg2rgb t2, t0\nmov r0, t1\n",
"ps.1.3\ndef c0, 1, 0, 0, 1\ntex t0\ntexm3x2pad t1, t0\ntexm3x2depth t2, t0\ncmp r0, t0, c0, t0\ndp4 r1, r0, c0\nmov r0, r1\n",
"ps.1.3\ntex t0\ntexdp3 t1, t0\ntexm3x3pad t2, t0\ntexm3x3pad t3, t0\nmov r0, t1\n",
"ps.1.4\ndef c0, 1.0078123, 0, 0, 1\ntexld r0, t0\ntexcrd r1.xyz, t1\nbem r2.rg, r1, r0\nphase\ntexld r3, r2\ntexdepth r5\nmov r0, r3\n",
// pixel, model 2
"ps_2_0\n"
"dcl t0.xy\ndcl t1\ndcl v0\ndcl_2d s0\ndcl_cube s1\ndcl_volume s2\n"
"def c0, 1.0078123, 0, -0.5, 1\ndef c1, 0.5, 0.5, 0.5, 0.5\n"
"texld r0, t0, s0\ntexldp r1, t1, s1\ntexldb r2, t1, s2\ntexkill t1\n"
"dp2add r3, r0, c1, c0.x\ncmp r4, r0, c0, c1\nrcp r5.x, r0.x\nrsq r5.y, r0.y\nabs r6, r0\nnrm r7, r1\n"
"sincos r8.xy, r0.x\nlrp r9, c1, r0, r1\nmin r10, r0, r1\nmax r10, r10, c0\nexp r11, r0.x\nlog r11, r0.y\n"
"pow r11, r0.x, c1.x\ncrs r9.xyz, r0, r1\nfrc r6, r0\nmad r0, r0, c1, r1\nmov oC0, r0\nmov oDepth, r5.x\n",
"ps_2_x\n"
"dcl t0\ndcl_2d s0\ndefb b0, true\ndefi i0, 65535, -2, 0, 0\ndef c0, 0.25, 0, 0, 0\n"
"dsx r0, t0\ndsy r1, t0\ntexldd r2, t0, s0, r0, r1\nsetp_lt p0, r2, c0\n(p0) mov r2, c0\n"
"if b0\nadd r2, r2, c0\nelse\nmov r2, c0\nendif\n"
"rep i0\nbreak_gt r2.x, c0.x\nadd r2, r2, c0\nendrep\n"
"mov oC0, r2\n",
"ps_3_0\n"
"dcl_texcoord0 v0\ndcl_color v1\ndcl_2d s0\n"
"defi i0, 65535, -2, -1, 2147483647\ndefb b0, false\ndef c0, 1.0078123, -0.00000001, 0, 1\n"
"texldl r0, v0, s0\ntexld r1, v0, s0\nadd r0, r0, v1\ncmp r0, vFace, r0, -r0\nmov r3.xy, vPos\n"
"loop aL, i0\nadd r0, r0, c0\nbreak_ge r0.x, c0.w\nendloop\n"
"if_lt r0.x, c0.x\nmov r0, c0\nendif\n"
"texkill r1\nsincos r2.xy, r0.x\nmov oC0, r0\nmov oDepth, r0.x\n",
};

// A render device of PelmoraGraf.dll of its own; released by the last test of the group.
LibraryDevice& Graf()
{
    static LibraryDevice* device = new LibraryDevice("PelmoraGraf.dll", 64, 64);
    return *device;
}

std::string Assemble(const std::string& text)
{
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    std::string bytes;
    if (SUCCEEDED(D3DXAssembleShader(text.c_str(), UINT(text.size()), nullptr, nullptr, 0, &code, &errors)) && code)
        bytes.assign(static_cast<const char*>(code->GetBufferPointer()), code->GetBufferSize());
    if (code) code->Release();
    if (errors) errors->Release();
    return bytes;
}

uint32_t Token(const std::string& code, size_t i)
{
    uint32_t t;
    memcpy(&t, code.data() + 4 * i, 4);
    return t;
}
bool IsVertex(const std::string& code) { return (Token(code, 0) >> 16) == kVertexShaderCodeKind; }

// Whether Direct3D itself creates a shader from the code (the device judges what it supports).
bool Direct3DTakes(const std::string& code)
{
    IDirect3DDevice9* d = Graf().d3d();
    const DWORD* tokens = reinterpret_cast<const DWORD*>(code.data());
    if (IsVertex(code)) {
        IDirect3DVertexShader9* s = nullptr;
        if (FAILED(d->CreateVertexShader(tokens, &s)) || !s) return false;
        s->Release();
    } else {
        IDirect3DPixelShader9* s = nullptr;
        if (FAILED(d->CreatePixelShader(tokens, &s)) || !s) return false;
        s->Release();
    }
    return true;
}

HRESULT LoadFile(const char* name, bool vertex, UINT* id = nullptr)
{
    OXERenderDevice* device = Graf().device();
    return vertex ? device->LoadVertexShader(name, 0, true, true, id) : device->LoadPixelShader(name, 0, true, true, id);
}

// The code with the literals of its def, defi and defb instructions replaced by `bits`, one
// after another, so that every pattern lands in some literal.
std::string WithLiterals(std::string code, const std::vector<uint32_t>& bits)
{
    const uint32_t major = Token(code, 0) >> 8 & 0xFF;
    size_t next = 0, i = 1;
    while (i < code.size() / 4) {
        const uint32_t t = Token(code, i), opcode = t & 0xFFFF;
        if (t == 0x0000FFFF) break;
        if (opcode == 0xFFFE) {
            i += 1 + (t >> 16 & 0x7FFF);
            continue;
        }
        size_t operands = t >> 24 & 0xF;
        if (major < 2) {
            // Model 1 writes no lengths: step over the operand tokens (bit 31 set).
            operands = opcode == 0x51 ? 5 : 0;
            if (opcode != 0x51)
                while (i + 1 + operands < code.size() / 4 && (Token(code, i + 1 + operands) & 0x80000000)) ++operands;
        }
        const size_t literals = opcode == 0x51 || opcode == 0x30 ? 4 : opcode == 0x2F ? 1 : 0;
        for (size_t k = 0; k < literals; ++k) {
            const uint32_t v = bits[next++ % bits.size()];
            memcpy(&code[4 * (i + 2 + k)], &v, 4);
        }
        i += 1 + operands;
    }
    return code;
}

// Bit patterns a literal may hold that look like tokens of another kind: the end token, a
// comment claiming more tokens than follow, an instruction with a long length, an operand.
const std::vector<uint32_t> kTrickyLiterals = {0x0000FFFF, 0xFFFFFFFE, 0x7FFFFFFE, 0x3F80FFFE, 0x0F000001,
                                               0x80000000, 0xFFFF0300, 0x0000FFFE, 0x7FC00000, 0xFF800000};

} // namespace

TEST(ShaderCode, EveryAssembledShaderIsTakenWholeAndRefusedAtEveryCut)
{
    int vertex = 0, pixel = 0;
    for (const char* source : kSources) {
        SCOPED_TRACE(source);
        const std::string code = Assemble(source);
        ASSERT_GT(code.size(), 4u) << "the assembler takes the source";
        IsVertex(code) ? ++vertex : ++pixel;
        const uint32_t kind = Token(code, 0) >> 16;
        for (const std::string& variant : {code, WithLiterals(code, kTrickyLiterals)}) {
            EXPECT_TRUE(CompiledCodeFits(variant.data(), variant.size(), kind));
            EXPECT_FALSE(CompiledCodeFits(variant.data(), variant.size(), kind ^ 1)) << "the other kind";
            int taken = 0;
            for (size_t cut = 0; cut < variant.size(); ++cut)
                if (CompiledCodeFits(variant.data(), cut, kind)) ++taken;
            EXPECT_EQ(0, taken) << "cut copies taken as whole shaders";
            // Bytes after the end token do not matter.
            const std::string longer = variant + std::string(6, '\xAB');
            EXPECT_TRUE(CompiledCodeFits(longer.data(), longer.size(), kind));
        }
    }
    EXPECT_GE(vertex, 5);
    EXPECT_GE(pixel, 12);
}

TEST(ShaderCode, InstructionsThatClaimMoreOrFewerTokensThanFollowAreRefused)
{
    const uint32_t kind = kVertexShaderCodeKind;
    auto fits = [&](std::vector<uint32_t> t) { return CompiledCodeFits(t.data(), t.size() * 4, kind); };
    EXPECT_TRUE(fits({0xFFFE0200, 0x02000001, 0xC00F0000, 0x90E40000, 0x0000FFFF}));
    EXPECT_FALSE(fits({0xFFFE0200, 0x01000001, 0xC00F0000, 0x0000FFFF})) << "mov with one operand";
    EXPECT_FALSE(fits({0xFFFE0200, 0x02000001, 0xC00F0000, 0x0000FFFF})) << "the end token taken as an operand";
    EXPECT_FALSE(fits({0xFFFE0200, 0x03000001, 0xC00F0000, 0x90E40000, 0x0000FFFF})) << "a length past the end";
    EXPECT_FALSE(fits({0xFFFE0200, 0x04000051, 0xA00F0000, 0, 0, 0, 0, 0x0000FFFF})) << "def with three literals";
    EXPECT_FALSE(fits({0xFFFE0101, 0x00000001, 0xC00F0000, 0x0000FFFF})) << "model 1 mov without its source";
    EXPECT_FALSE(fits({0xFFFE0101, 0x00000030, 0xF00F0000, 0, 0, 0, 0, 0x0000FFFF})) << "defi is not model 1";
    EXPECT_FALSE(fits({0xFFFE0200, 0x0002FFFE, 0x0000FFFF})) << "a comment holding the only end token";
    EXPECT_TRUE(fits({0xFFFE0200, 0x0001FFFE, 0x0000FFFF, 0x0000FFFF})) << "an end token inside a comment is data";
    EXPECT_FALSE(fits({0xFFFE0400, 0x0000FFFF})) << "model 4";
    EXPECT_FALSE(fits({0xFFFE0001, 0x0000FFFF})) << "model 0";
    EXPECT_FALSE(CompiledCodeFits(nullptr, 8, kind));
}

TEST(ShaderCode, TheRenderDeviceTakesWhatDirect3DTakesFromFilesAndMemory)
{
    ASSERT_TRUE(Graf().ok());
    int loaded = 0, memoryLoads = 0;
    for (const char* source : kSources) {
        SCOPED_TRACE(source);
        std::string code = Assemble(source);
        ASSERT_GT(code.size(), 4u);
        const bool vertex = IsVertex(code);
        // Vertex shaders also with tricky literals and from memory; the tables hold 19 of each kind.
        for (const std::string& variant : vertex ? std::vector<std::string>{code, WithLiterals(code, kTrickyLiterals)}
                                                 : std::vector<std::string>{code}) {
            const HRESULT expected = Direct3DTakes(variant) ? OXE_OK : OXE_FAIL;
            ASSERT_TRUE(Write(vertex ? "whole.vso" : "whole.pso", variant));
            EXPECT_EQ(expected, LoadFile(vertex ? "whole.vso" : "whole.pso", vertex));
            if (expected == OXE_OK) ++loaded;
            if (vertex && variant == code) {
                EXPECT_EQ(expected, Graf().device()->LoadVertexShader(variant.data(), UINT(variant.size()), false, true, nullptr));
                ++memoryLoads;
            }
        }
    }
    EXPECT_GE(loaded, 15) << "Direct3D here takes most of them";
    EXPECT_GE(memoryLoads, 5);
}

TEST(ShaderCode, EveryCutShaderFileIsRefusedByTheRenderDevice)
{
    ASSERT_TRUE(Graf().ok());
    for (const char* source : kSources) {
        SCOPED_TRACE(source);
        const std::string code = WithLiterals(Assemble(source), kTrickyLiterals);
        const bool vertex = IsVertex(code);
        const char* name = vertex ? "cut.vso" : "cut.pso";
        for (size_t cut = 4; cut < code.size(); cut += 4) {
            ASSERT_TRUE(Write(name, code.substr(0, cut)));
            EXPECT_EQ(OXE_FAIL, LoadFile(name, vertex)) << "cut at " << cut << " of " << code.size();
        }
    }
}

TEST(ShaderCode, TheLiteralThatLooksLikeACommentAndTheFileCutAfterADefiAreAnsweredAtOnce)
{
    ASSERT_TRUE(Graf().ok());
    // A literal whose bits (0x3F80FFFE) read as a comment token claiming 16256 tokens.
    const std::string literal = Assemble("vs_2_0\ndcl_position v0\ndef c20, 1.0078123, 0, 0, 0\nmov oPos, v0\n");
    ASSERT_EQ(0x3F80FFFEu, Token(literal, 6));
    ASSERT_TRUE(Write("literal.vso", literal));
    // Cut after a defi whose first literal (65535) reads as the end token: 40 bytes, no end token.
    const std::string defi = Assemble("vs_2_0\ndcl_position v0\ndefi i0, 65535, -2, 0, 0\nmov oPos, v0\n");
    ASSERT_EQ(0x0000FFFFu, Token(defi, 6));
    ASSERT_TRUE(Write("cutdefi.vso", defi.substr(0, 40)));
    // And a model 3 pixel shader cut in the middle of an instruction.
    const std::string pixel = Assemble(kSources[17]);
    ASSERT_TRUE(Write("cutpixel.pso", pixel.substr(0, pixel.size() / 2 + 2)));

    HRESULT hr = OXE_OK;
    UINT id = 999;
    TimedWithHangGuard("vs_2_0 file with the literal 1.0078123 through PelmoraGraf.dll", [&] { hr = LoadFile("literal.vso", true, &id); });
    EXPECT_EQ(OXE_OK, hr);
    EXPECT_NE(999u, id);
    TimedWithHangGuard("40-byte vs_2_0 file cut after a defi through PelmoraGraf.dll", [&] { hr = LoadFile("cutdefi.vso", true); });
    EXPECT_EQ(OXE_FAIL, hr);
    TimedWithHangGuard("ps_3_0 file cut inside an instruction through PelmoraGraf.dll", [&] { hr = LoadFile("cutpixel.pso", false); });
    EXPECT_EQ(OXE_FAIL, hr);
}

TEST(ShaderCode, ReleasingTheRenderDeviceLeavesNoReferenceOnTheDevice)
{
    EXPECT_EQ(0u, Graf().ReleaseAndCount());
}
