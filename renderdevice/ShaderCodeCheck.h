// A check of compiled shader code made before Direct3D is given it. Direct3D reads a shader
// instruction by instruction until its end token and is told no size: code cut short, or code
// whose instructions claim more tokens than follow, makes it read past the buffer (a mapped file
// ends at a page, and the process crashes). Plain C++ without Windows headers, so that it is
// also built and fuzzed on the host.
//
// The code is walked the way Direct3D walks it, one instruction at a time:
//   - the version token (kind in the high word, major and minor version in the low word);
//   - comments (opcode 0xFFFE, their length in bits 16..30) are skipped whole, whatever they hold;
//   - shader model 2 and 3 instructions give their own length (bits 24..27); it must cover at
//     least the operands the opcode takes;
//   - shader model 1 instructions carry no length: it is the opcode's operand count, and an
//     opcode the walk does not know is refused;
//   - every operand token has bit 31 set, except the literals of def, defi and defb, which may
//     hold any bits (a float or integer literal can look like an end token or a comment);
//   - the end token 0x0000FFFF ends the code; it must come before the bytes run out.
// The walk reads each token at most once: its work is bounded by the size.
//
// D3DX also reads the constant table a shader may carry (a comment tagged 'CTAB': a header, an
// array of constants, their names, types, struct members and default values, all found by
// offsets from the table's start) when it loads a shader inside an effect. ConstantTablesFit
// checks that every such offset and every array lies inside the comment; its work is bounded by
// the table's size.
#pragma once
#include <cstddef>
#include <cstdint>

// High word of the version token of each kind of shader.
const uint32_t kVertexShaderCodeKind = 0xFFFE;
const uint32_t kPixelShaderCodeKind = 0xFFFF;

// True when `bytes` bytes at `code` are whole shader code of the given kind (0xFFFE vertex,
// 0xFFFF pixel) of shader model 1, 2 or 3: every instruction and the end token lie inside them.
// Bytes after the end token are not looked at. Null code or fewer than two tokens: false.
bool CompiledCodeFits(const void* code, size_t bytes, uint32_t versionKind);
// The same, and every constant table in the code lies whole inside its comment: strings end
// inside it, the constant, type and member records and the default values lie inside it, and
// struct types nest at most eight deep.
bool ConstantTablesFit(const void* code, size_t bytes, uint32_t versionKind);
