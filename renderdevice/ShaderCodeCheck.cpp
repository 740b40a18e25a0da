// Compiled shader code walked instruction by instruction, with every read inside the given bytes.
#include "ShaderCodeCheck.h"
#include <cstring>

namespace {

const uint32_t kEndToken = 0x0000FFFF;
const uint32_t kCommentOpcode = 0xFFFE;
const uint32_t kPhaseOpcode = 0xFFFD;     // ps_1_4's marker between its two phases
const uint32_t kOperandBit = 0x80000000;  // set in every operand token
const int kUnknown = -1;

// Opcodes whose operands are followed by literals that may hold any bits.
const uint32_t kDefb = 0x2F; // boolean register: destination, one literal
const uint32_t kDefi = 0x30; // integer register: destination, four literals
const uint32_t kDef = 0x51;  // float register: destination, four literals

// Operand tokens (destination and sources, literals included, no relative-address or predicate
// tokens) of each opcode 0x00..0x5F; kUnknown where the opcode has none in any model or its count
// depends on the model (looked up by the functions below).
const int kOperands[0x60] = {
    0, 2, 3, 3, 4, 3, 2, 2, 3, 3, 3, 3, 3, 3, 2, 2,  // nop mov add sub mad mul rcp rsq dp3 dp4 min max slt sge exp log
    2, 3, 4, 2, 3, 3, 3, 3, 3, 1, 2, 2, 0, 0, 1, 2,  // lit dst lrp frc m4x4 m4x3 m3x4 m3x3 m3x2 call callnz loop ret endloop label dcl
    3, 3, 4, 2, 2, kUnknown, 1, 0, 1, 2, 0, 0, 0, 2, 2, 2,  // pow crs sgn abs nrm sincos rep endrep if ifc else endif break breakc mova defb
    5, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,  // defi
    kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,
    kUnknown, 1, kUnknown, 2, 2, 2, 2, 2, 2, 2, 2, kUnknown, 3, 2, 2, 2,  // texcoord texkill tex texbem texbeml texreg2ar texreg2gb texm3x2pad texm3x2tex texm3x3pad texm3x3tex - texm3x3spec texm3x3vspec expp logp
    4, 5, 2, 2, 2, 2, 2, 1, 4, 3, 4, 2, 2, 5, 3, 3,  // cnd def texreg2rgb texdp3tex texm3x2depth texdp3 texm3x3 texdepth cmp bem dp2add dsx dsy texldd setp texldl
};
const uint32_t kTexcoord = 0x40, kTex = 0x42, kSincos = 0x25, kBreakp = 0x60;

// Shader model 1 instructions carry no length: the operand count of the opcodes model 1 has.
int ModelOneOperands(uint32_t opcode, uint32_t minor, uint32_t kind)
{
    if (opcode == kPhaseOpcode) return 0;
    // ps_1_4 spells texcoord and tex as texcrd and texld, with a source register each.
    if (opcode == kTexcoord || opcode == kTex)
        return kind == kPixelShaderCodeKind && minor >= 4 ? 2 : 1;
    const bool modelOne = opcode <= 0x18 || opcode == 0x1F || (opcode >= 0x41 && opcode <= 0x59);
    return modelOne ? kOperands[opcode] : kUnknown;
}

// The fewest operand tokens a shader model 2 or 3 instruction of the opcode has; kUnknown for
// an opcode without a fixed least count (its own length is taken as it stands).
int ModelTwoLeastOperands(uint32_t opcode)
{
    if (opcode == kSincos) return 2; // two in model 3, four in model 2
    if (opcode == kTex) return 3;    // texld: destination, coordinates, sampler
    if (opcode == kBreakp) return 1;
    if (opcode >= kTexcoord && opcode <= 0x57 && opcode != 0x41 && opcode != 0x4E && opcode != 0x4F &&
        opcode != 0x50 && opcode != kDef)
        return kUnknown; // model 1 texture operations
    return opcode < 0x60 ? kOperands[opcode] : kUnknown;
}

bool HasLiterals(uint32_t opcode) { return opcode == kDef || opcode == kDefi || opcode == kDefb; }

uint32_t TokenAt(const unsigned char* bytes, size_t index)
{
    uint32_t token;
    memcpy(&token, bytes + index * 4, 4);
    return token;
}

// Walks code instruction by instruction as the header describes, handing the data of every
// comment (its tokens after the comment token) to `comment`, which may refuse it. True when the
// end token is reached inside the bytes and no comment was refused.
template <class Comment>
bool WalkCode(const unsigned char* data, size_t bytes, uint32_t versionKind, Comment comment)
{
    if (!data) return false;
    const size_t count = bytes / 4;
    if (count < 2) return false;
    const uint32_t version = TokenAt(data, 0);
    const uint32_t major = version >> 8 & 0xFF, minor = version & 0xFF;
    if ((version >> 16) != versionKind || major < 1 || major > 3) return false;

    size_t i = 1;
    while (i < count) {
        const uint32_t token = TokenAt(data, i);
        if (token == kEndToken) return true;
        if (token & kOperandBit) return false; // an operand where an instruction belongs
        const uint32_t opcode = token & 0xFFFF;
        if (opcode == kCommentOpcode) {
            const size_t length = token >> 16 & 0x7FFF;
            if (length >= count - i) return false; // the comment and an end token must follow
            if (!comment(data + 4 * (i + 1), 4 * length)) return false;
            i += 1 + length;
            continue;
        }
        size_t operands;
        if (major >= 2) {
            operands = token >> 24 & 0xF;
            const int least = ModelTwoLeastOperands(opcode);
            if (least != kUnknown && operands < size_t(least)) return false;
            if (HasLiterals(opcode) && operands != size_t(kOperands[opcode])) return false;
        } else {
            const int n = ModelOneOperands(opcode, minor, versionKind);
            if (n == kUnknown) return false;
            operands = size_t(n);
        }
        if (operands >= count - i) return false; // the operands and an end token must follow
        // The literals of def, defi and defb follow their destination and may hold any bits.
        const size_t checked = HasLiterals(opcode) ? 1 : operands;
        for (size_t k = 1; k <= checked; ++k)
            if (!(TokenAt(data, i + k) & kOperandBit)) return false;
        i += 1 + operands;
    }
    return false;
}

// ---- Constant tables ----

const uint32_t kTableTag = 0x42415443;    // 'CTAB', the first token of a constant table's comment
const uint32_t kTableHeaderBytes = 28;    // size, creator, version, count, constants, flags, target
const uint32_t kConstantBytes = 20;       // name, register set, index, count, reserved, type, default
const uint32_t kTypeBytes = 16;           // class, type, rows, columns, elements, members, member list
const uint32_t kMemberBytes = 8;          // name, type
const uint32_t kStructClass = 5;
const int kMaxTypeDepth = 8;              // struct members inside struct members

// Reads a constant table (the comment's data after its tag) with every offset checked against
// its length, and its work (type records visited, struct types may be shared) bounded.
class ConstantTable {
public:
    ConstantTable(const unsigned char* table, size_t length)
        : table_(table), length_(length), workLeft_(1024 + length)
    {
    }

    bool sound()
    {
        if (length_ < kTableHeaderBytes) return false;
        const uint32_t count = word(12), constants = word(16);
        if (!string(word(4)) || !string(word(24)) || !fits(constants, (unsigned long long)count * kConstantBytes))
            return false;
        for (uint32_t c = 0; c < count; ++c) {
            const uint32_t at = constants + c * kConstantBytes;
            if (!string(word(at), false)) return false;
            unsigned long long bytes = 0;
            if (!type(word(at + 12), 0, bytes)) return false;
            const uint32_t defaults = word(at + 16);
            if (defaults && !fits(defaults, bytes)) return false;
        }
        return true;
    }

private:
    uint32_t word(uint32_t at) const
    {
        uint32_t v;
        memcpy(&v, table_ + at, 4);
        return v;
    }
    uint32_t half(uint32_t at) const { return uint32_t(table_[at] | table_[at + 1] << 8); }
    // `bytes` bytes from `offset` lie inside the table.
    bool fits(uint32_t offset, unsigned long long bytes) const
    {
        return offset <= length_ && bytes <= length_ - offset;
    }
    // A string: no offset (0) where that is allowed, else a NUL inside the table.
    bool string(uint32_t offset, bool optional = true) const
    {
        if (offset == 0) return optional;
        return offset < length_ && memchr(table_ + offset, 0, length_ - offset) != nullptr;
    }
    // A type record and its members; `bytes` receives the size of a value of the type.
    bool type(uint32_t offset, int depth, unsigned long long& bytes)
    {
        if (depth > kMaxTypeDepth || workLeft_ == 0 || !fits(offset, kTypeBytes)) return false;
        --workLeft_;
        const uint32_t klass = half(offset), rows = half(offset + 4), columns = half(offset + 6);
        const uint32_t elements = half(offset + 8) ? half(offset + 8) : 1;
        const uint32_t members = half(offset + 10), memberList = word(offset + 12);
        if (klass != kStructClass) {
            bytes = 4ULL * rows * columns * elements;
            return true;
        }
        if (!fits(memberList, (unsigned long long)members * kMemberBytes)) return false;
        unsigned long long one = 0;
        for (uint32_t m = 0; m < members; ++m) {
            const uint32_t at = memberList + m * kMemberBytes;
            unsigned long long member = 0;
            if (!string(word(at), false) || !type(word(at + 4), depth + 1, member)) return false;
            one += member;
        }
        bytes = one * elements;
        return true;
    }

    const unsigned char* table_;
    size_t length_;
    unsigned long long workLeft_; // type records that may still be visited
};

} // namespace

bool CompiledCodeFits(const void* code, size_t bytes, uint32_t versionKind)
{
    return WalkCode(static_cast<const unsigned char*>(code), bytes, versionKind,
                    [](const unsigned char*, size_t) { return true; });
}

bool ConstantTablesFit(const void* code, size_t bytes, uint32_t versionKind)
{
    return WalkCode(static_cast<const unsigned char*>(code), bytes, versionKind,
                    [](const unsigned char* comment, size_t length) {
                        if (length < 4) return true;
                        uint32_t tag;
                        memcpy(&tag, comment, 4);
                        return tag != kTableTag || ConstantTable(comment + 4, length - 4).sound();
                    });
}
