// Fuzzer: the check of compiled shader code made before Direct3D creates a shader
// (CompiledCodeFits). The input is the code, tried as vertex and as pixel shader code. Code the
// check takes is then read the way Direct3D reads it, without any size, from a buffer of
// exactly the input's size: the address sanitizer catches a read past it. And the code cut one
// word before its end token must be refused. The check of the constant tables in the code
// (ConstantTablesFit) runs on every input too, reading only inside the buffer, and takes only
// code that is whole.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include "ShaderCodeCheck.h"

namespace {

uint32_t TokenAt(const uint8_t* code, size_t i)
{
    uint32_t t;
    std::memcpy(&t, code + 4 * i, 4);
    return t;
}

// Reads code as Direct3D does, with no size: instruction after instruction until the end
// token. Shader model 2 and 3 instructions give their length; model 1 instructions are followed
// by their operand tokens, which have bit 31 set (def by a destination and four literals).
// Returns the number of tokens up to and including the end token.
size_t ReadUnbounded(const uint8_t* code)
{
    const uint32_t major = TokenAt(code, 0) >> 8 & 0xFF;
    size_t i = 1;
    for (;;) {
        const uint32_t t = TokenAt(code, i);
        if (t == 0x0000FFFF) return i + 1;
        const uint32_t opcode = t & 0xFFFF;
        if (opcode == 0xFFFE) {
            i += 1 + (t >> 16 & 0x7FFF);
            continue;
        }
        size_t operands;
        if (major >= 2) {
            operands = t >> 24 & 0xF;
        } else if (opcode == 0x51) {
            operands = 5;
        } else {
            operands = 0;
            while (TokenAt(code, i + 1 + operands) & 0x80000000) ++operands;
        }
        for (size_t k = 1; k <= operands; ++k) (void)TokenAt(code, i + k);
        i += 1 + operands;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    for (uint32_t kind : {kVertexShaderCodeKind, kPixelShaderCodeKind}) {
        const bool tablesFit = ConstantTablesFit(copy.get(), size, kind);
        if (!CompiledCodeFits(copy.get(), size, kind)) {
            if (tablesFit) {
                std::fprintf(stderr, "fuzz_shadercode: constant tables taken in code that is not whole\n");
                std::abort();
            }
            continue;
        }
        const size_t tokens = ReadUnbounded(copy.get());
        if (tokens * 4 > size) {
            std::fprintf(stderr, "fuzz_shadercode: code taken whose end token lies past its %zu bytes\n", size);
            std::abort();
        }
        if (CompiledCodeFits(copy.get(), tokens * 4 - 4, kind)) {
            std::fprintf(stderr, "fuzz_shadercode: code without its end token taken (%zu tokens)\n", tokens - 1);
            std::abort();
        }
    }
    return 0;
}
