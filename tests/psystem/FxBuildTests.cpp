// The effect tool's reader and writer: bad sources are refused with the file, the line and what
// is wrong; the constant table it splices into a shader is the one D3DX reads back.
#include <gtest/gtest.h>
#include <d3dx9.h>
#include "FxSource.h"
#include "FxWriter.h"
#include "TestDevice.h"

namespace {

std::string ErrorOf(const std::string& text)
{
    FxEffect fx;
    std::string error;
    if (ParseEffectSource(text, "t.fxs", fx, error)) return "(accepted)";
    return error;
}

const char* kGood =
    "param float4x4 gWVP\n"
    "param texture gTex\n"
    "sampler S gTex MinFilter=2\n"
    "technique T\n"
    "pass P0\n"
    "state PointSize = 4.0\n"
    "state ZEnable = true\n"
    "vertexshader\n"
    "  bind gWVP c0\n"
    "  vs_2_0 // version\n"
    "  dcl_position v0\n"
    "  m4x4 oPos, v0, c0\n"
    "end\n";

} // namespace

TEST(FxSource, ReadsParametersStatesAndShaderBlocks)
{
    FxEffect fx;
    std::string error;
    ASSERT_TRUE(ParseEffectSource(kGood, "t.fxs", fx, error)) << error;
    ASSERT_EQ(fx.params.size(), 3u);
    EXPECT_EQ(fx.params[2].kind, FxParamKind::Sampler);
    EXPECT_EQ(fx.params[2].texture, "gTex");
    ASSERT_EQ(fx.params[2].states.size(), 1u);
    EXPECT_EQ(fx.params[2].states[0].op, 170);
    const FxPass& p = fx.techniques.at(0).passes.at(0);
    ASSERT_EQ(p.states.size(), 2u);
    float f = 4.0f;
    EXPECT_EQ(p.states[0].value, *reinterpret_cast<uint32_t*>(&f)) << "float states keep the float's bits";
    EXPECT_EQ(p.states[1].value, 1u);
    EXPECT_TRUE(p.vertexShader.present);
    EXPECT_FALSE(p.pixelShader.present);
    EXPECT_EQ(p.vertexShader.text.find("bind"), std::string::npos);
    EXPECT_EQ(p.vertexShader.text.substr(0, 1), "\n") << "a bind line stays as an empty line";
    EXPECT_EQ(p.vertexShader.text.find("version"), std::string::npos) << "comments are removed";
    ASSERT_EQ(p.vertexShader.bindings.size(), 1u);
    EXPECT_EQ(p.vertexShader.bindings[0].reg, 0);
}

TEST(FxSource, BadSourcesNameTheLineAndTheFault)
{
    struct Case { std::string text; std::string expect; };
    const Case cases[] = {
        {"", "t.fxs:0: the effect has no technique"},
        {"param float4x4 gWVP\nparam float gWVP\ntechnique T\npass P\n", "t.fxs:2: parameter 'gWVP' declared twice"},
        {"param double x\n", "t.fxs:1: unknown parameter type 'double'"},
        {"technique T\n", "technique 'T' has no pass"},
        {"technique T\ntechnique U\npass P\n", "t.fxs:1: technique 'T' has no pass"},
        {"technique T\npass P\ntechnique U\n\n# the end\n", "t.fxs:3: technique 'U' has no pass"},
        {"pass P\n", "t.fxs:1: pass 'P' outside a technique"},
        {"technique T\npass P\nstate Blubb = 1\n", "t.fxs:3: unknown render state 'Blubb'"},
        {"technique T\npass P\nstate PointSize = big\n", "t.fxs:3: bad value 'big' for PointSize (a float)"},
        {"technique T\npass P\nstate ZEnable 1\n", "t.fxs:3: expected: state <Name> = <value>"},
        {"technique T\npass P\nvertexshader\nvs_2_0\n", "t.fxs:3: shader block not closed with 'end'"},
        {"technique T\npass P\npixelshader\nend\n", "t.fxs:3: empty shader block"},
        {"technique T\npass P\nvertexshader\nbind gNone c0\n", "t.fxs:4: bind names unknown parameter 'gNone'"},
        {"param float a\ntechnique T\npass P\nvertexshader\nbind a s0\n", "t.fxs:5: only a sampler binds to an s register"},
        {"param float a\ntechnique T\npass P\nvertexshader\nbind a c\n", "t.fxs:5: expected: bind <param> c<N> | s<N>"},
        {"param float a\nsampler S a\n", "t.fxs:2: sampler 'S' needs a texture parameter, 'a' is none"},
        {"param texture t\nsampler S t Wrap=1\n", "t.fxs:2: unknown sampler state 'Wrap'"},
        {"technique T\npass P\nvertexshader\nvs_2_0\nend\nvertexshader\n", "t.fxs:6: pass 'P' has a second vertexshader"},
        {"state ZEnable = 1\n", "t.fxs:1: state outside a pass"},
        {"param float 9x\n", "t.fxs:1: '9x' is not a valid name"},
        {"technique T\npass P\nfoo\n", "t.fxs:3: unknown keyword 'foo'"},
    };
    for (const Case& c : cases) EXPECT_NE(ErrorOf(c.text).find(c.expect), std::string::npos) << c.text << "\n-> " << ErrorOf(c.text);
}

TEST(FxSource, BindingsEndAtTheLastRegister)
{
    const std::string head = "param float4x4 m\nparam float f\nparam texture t\nsampler S t\ntechnique T\npass P\nvertexshader\n";
    EXPECT_EQ(ErrorOf(head + "bind m c252\nbind f c255\nbind S s3\nvs_3_0\nend\n"), "(accepted)");
    EXPECT_EQ(ErrorOf(head + "bind m c253\n"), "t.fxs:8: 'm' at c253 runs past the last register c255");
    EXPECT_EQ(ErrorOf(head + "bind f c256\n"), "t.fxs:8: bad register 'c256'");
    EXPECT_EQ(ErrorOf(head + "bind S s16\n"), "t.fxs:8: bad register 's16': samplers end at s15");
}

TEST(FxSource, IntegersAreDecimalOrExplicitHexAndFloatsFinite)
{
    auto value = [](const std::string& state, const std::string& word, uint32_t& out) {
        FxEffect fx;
        std::string error;
        if (!ParseEffectSource("technique T\npass P\nstate " + state + " = " + word + "\n", "t.fxs", fx, error))
            return error;
        out = fx.techniques[0].passes[0].states[0].value;
        return std::string();
    };
    uint32_t v = 0;
    EXPECT_EQ(value("AlphaRef", "010", v), "");
    EXPECT_EQ(v, 10u) << "a leading zero is no octal";
    EXPECT_EQ(value("AlphaRef", "08", v), "");
    EXPECT_EQ(v, 8u);
    EXPECT_EQ(value("ColorWriteEnable", "0x0F", v), "");
    EXPECT_EQ(v, 15u);
    EXPECT_EQ(value("AlphaRef", "-2", v), "");
    EXPECT_EQ(v, uint32_t(-2));
    EXPECT_EQ(value("AlphaRef", "0x", v), "t.fxs:3: bad value '0x' for AlphaRef");
    for (const char* word : {"inf", "-inf", "nan", "1e39", "infinity"})
        EXPECT_EQ(value("PointSize", word, v), std::string("t.fxs:3: bad value '") + word + "' for PointSize (a float)");
    EXPECT_EQ(value("PointSize", "3.5e2", v), "");
}

TEST(FxSource, BindingsEndAtTheRegistersOfTheirShaderKind)
{
    const std::string head = "param float4x4 m\nparam float f\nparam texture t\nsampler S t\ntechnique T\npass P\n";
    EXPECT_EQ(ErrorOf(head + "vertexshader\nbind S s3\nvs_3_0\nend\n"), "(accepted)");
    EXPECT_EQ(ErrorOf(head + "vertexshader\nbind S s4\n"), "t.fxs:8: bad register 's4': a vertex shader's samplers end at s3");
    EXPECT_EQ(ErrorOf(head + "pixelshader\nbind S s15\nbind m c220\nps_3_0\nend\n"), "(accepted)");
    EXPECT_EQ(ErrorOf(head + "pixelshader\nbind m c221\n"), "t.fxs:8: 'm' at c221 runs past a pixel shader's last register c223");
    EXPECT_EQ(ErrorOf(head + "pixelshader\nbind f c224\n"), "t.fxs:8: 'f' at c224 runs past a pixel shader's last register c223");
}

TEST(FxWriter, PixelShaderConstantsEndWhereTheirVersionEnds)
{
    // The assembler stands in: it hands back a version token and an end token.
    auto compile = [](uint32_t version, const std::string& binds) {
        FxEffect fx;
        std::string error;
        if (!ParseEffectSource("param float4x4 m\nparam float f\ntechnique T\npass P\npixelshader\n" + binds +
                                   "ps\nend\n", "t.fxs", fx, error))
            return error;
        std::vector<uint8_t> out;
        FxAssembler assemble = [version](const FxShader&, std::vector<uint32_t>& code, std::string&) {
            code = {version, 0x0000FFFFu};
            return true;
        };
        return CompileEffect(fx, "t.fxs", assemble, out, error) ? std::string("(compiled)") : error;
    };
    EXPECT_EQ(compile(0xFFFF0104u, "bind f c7\n"), "(compiled)");
    EXPECT_EQ(compile(0xFFFF0104u, "bind f c0\nbind m c5\n"), "t.fxs:7: 'm' at c5 runs past the last register c7 of ps_1_4");
    EXPECT_EQ(compile(0xFFFF0200u, "bind m c28\nbind f c31\n"), "(compiled)");
    EXPECT_EQ(compile(0xFFFF0200u, "bind f c32\n"), "t.fxs:6: 'f' at c32 runs past the last register c31 of ps_2_0");
    EXPECT_EQ(compile(0xFFFF0300u, "bind f c223\n"), "(compiled)");
}

TEST(FxWriter, AnOutputThatCannotBeWrittenCompletelyFailsAndLeavesNothing)
{
    std::string error;
    ASSERT_TRUE(WriteEffectFile("written.fx", std::vector<uint8_t>(100, 7), error)) << error;
    EXPECT_EQ(testsupport::ReadFileBytes("written.fx"), std::string(100, '\7'));
    EXPECT_FALSE(WriteEffectFile("no_such_folder\\x.fx", {1, 2, 3}, error));
    EXPECT_NE(error.find("no_such_folder\\x.fx: cannot be written"), std::string::npos) << error;
    // A full disk: every write is taken into the stream's buffer, the flush at the close fails.
    error.clear();
    EXPECT_FALSE(WriteEffectFile("Z:\\dev\\full", std::vector<uint8_t>(100, 7), error));
    EXPECT_NE(error.find("Z:\\dev\\full: cannot be written ("), std::string::npos) << error;
}

TEST(FxWriter, SplicedConstantTableIsReadByD3DX)
{
    FxEffect fx;
    std::string error;
    ASSERT_TRUE(ParseEffectSource(
        "param float4x4 gWVP\nparam float3 gEye\nparam int gH\nparam texture gTex\nsampler S gTex\n"
        "technique T\npass P\n", "t.fxs", fx, error)) << error;
    const char* vs = "vs_2_0\ndcl_position v0\nm4x4 oPos, v0, c0\nmov oT0, c4\nmov oT1, c7\n";
    ID3DXBuffer* code = nullptr;
    ASSERT_EQ(D3DXAssembleShader(vs, UINT(strlen(vs)), nullptr, nullptr, 0, &code, nullptr), D3D_OK);
    std::vector<uint32_t> in(code->GetBufferSize() / 4), out;
    memcpy(in.data(), code->GetBufferPointer(), in.size() * 4);
    code->Release();
    std::vector<FxBinding> b = {{"gWVP", false, 0}, {"gEye", false, 4}, {"gH", false, 7}, {"S", true, 2}};
    ASSERT_TRUE(SpliceConstantTable(in, b, fx, out, error)) << error;
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(std::vector<uint32_t>(out.end() - (in.size() - 1), out.end()),
              std::vector<uint32_t>(in.begin() + 1, in.end())) << "the instructions follow unchanged";

    ID3DXConstantTable* table = nullptr;
    ASSERT_EQ(D3DXGetShaderConstantTable((const DWORD*)out.data(), &table), D3D_OK);
    D3DXCONSTANTTABLE_DESC td = {};
    table->GetDesc(&td);
    EXPECT_EQ(td.Constants, 4u);
    struct Want { const char* name; D3DXREGISTER_SET set; UINT reg, count; D3DXPARAMETER_CLASS cls; };
    const Want want[] = {{"gWVP", D3DXRS_FLOAT4, 0, 4, D3DXPC_MATRIX_COLUMNS}, {"gEye", D3DXRS_FLOAT4, 4, 1, D3DXPC_VECTOR},
                         {"gH", D3DXRS_FLOAT4, 7, 1, D3DXPC_SCALAR}, {"S", D3DXRS_SAMPLER, 2, 1, D3DXPC_OBJECT}};
    for (const Want& w : want) {
        D3DXHANDLE h = table->GetConstantByName(nullptr, w.name);
        ASSERT_NE(h, nullptr) << w.name;
        D3DXCONSTANT_DESC d = {};
        UINT n = 1;
        table->GetConstantDesc(h, &d, &n);
        EXPECT_EQ(d.RegisterSet, w.set) << w.name;
        EXPECT_EQ(d.RegisterIndex, w.reg) << w.name;
        EXPECT_EQ(d.RegisterCount, w.count) << w.name;
        EXPECT_EQ(d.Class, w.cls) << w.name;
    }
    table->Release();
}

TEST(FxWriter, RefusesBytecodeWithoutAVersionToken)
{
    FxEffect fx;
    std::vector<uint32_t> out;
    std::string error;
    EXPECT_FALSE(SpliceConstantTable({0x12345678u, 0x0000FFFFu}, {}, fx, out, error));
    EXPECT_FALSE(SpliceConstantTable({}, {}, fx, out, error));
    EXPECT_NE(error.find("version token"), std::string::npos);
}

namespace {

// Runs the built fxbuild.exe with arguments; its error output goes to a file. Exit code, or -1.
int RunTool(const std::string& args, std::string& errors)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE err = CreateFileA("fxbuild_errors.txt", GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = err;
    si.hStdOutput = err;
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + testsupport::ProgramFolder() + "fxbuild.exe\" " + args;
    DWORD code = DWORD(-1);
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(err);
    errors = testsupport::ReadFileBytes("fxbuild_errors.txt");
    return int(code);
}

} // namespace

TEST(FxBuildTool, ReportsBadShaderAssemblyWithFileAndLineAndWritesNothing)
{
    DeleteFileA("badasm.fx");
    ASSERT_TRUE(testsupport::WriteFileText("badasm.fxs", "param float4x4 gWVP\ntechnique T\npass P\nvertexshader\n  bind gWVP c0\n  vs_2_0\n  bogus r0, v0\nend\n"));
    std::string errors;
    EXPECT_EQ(RunTool(". badasm.fxs", errors), 1);
    EXPECT_NE(errors.find("badasm.fxs:4: shader assembly failed"), std::string::npos) << errors;
    EXPECT_NE(errors.find("the assembler's line 1 is line 5"), std::string::npos) << errors;
    EXPECT_EQ(GetFileAttributesA("badasm.fx"), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(RunTool(". missing.fxs", errors), 1);
    EXPECT_NE(errors.find("missing.fxs: cannot be read"), std::string::npos) << errors;

    // The assembler takes the kind from the version line: a block of the other kind is refused
    // here rather than when the effect loads.
    DeleteFileA("kindswap.fx");
    ASSERT_TRUE(testsupport::WriteFileText("kindswap.fxs", "technique T\npass P\nvertexshader\n  ps_2_0\n  mov oC0, c0\nend\n"));
    EXPECT_EQ(RunTool(". kindswap.fxs", errors), 1);
    EXPECT_NE(errors.find("kindswap.fxs:3: a vertexshader block holds a pixel shader"), std::string::npos) << errors;
    EXPECT_EQ(GetFileAttributesA("kindswap.fx"), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(testsupport::WriteFileText("goodfx.fxs", kGood));
    EXPECT_EQ(RunTool(". goodfx.fxs", errors), 0) << errors;
    EXPECT_FALSE(testsupport::ReadFileBytes("goodfx.fx").empty());
}
