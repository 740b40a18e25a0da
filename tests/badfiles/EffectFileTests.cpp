// Effect files the particle effects and the triangle grid cannot use: missing, empty, a real
// compiled effect cut at several points, random bytes, and effect source text where the
// compiled form is expected. Creation leaves the system without its effect, the processor side
// still runs, drawing puts nothing on the screen, and the same kind with its good effect draws.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "BadFileSupport.h"
#include "PartsDevice.h"
#include "Camera.h"
#include "Candle.h"
#include "FireRing.h"
#include "PSystem.h"
#include "Rain.h"
#include "Smoke.h"
#include "Sprinkler.h"
#include "TriGrid.h"
#include "EffectFileCheck.h"
#include "ShaderCodeCheck.h"

using namespace badfiles;
using testsupport::Picture;

namespace {

LibraryDevice& Graf()
{
    static LibraryDevice* device = new LibraryDevice("PelmoraGraf.dll", 320, 240);
    return *device;
}

std::string ProgramFile(const char* name) { return testsupport::ProgramFolder() + name; }
// The source of a compiled effect, in the source tree (<build>\bin\..\..\graf\fx).
std::string SourceFile(const char* name)
{
    return testsupport::ProgramFolder() + "..\\..\\graf\\fx\\" + name;
}

const char* kParticleTexture = "white16.bmp";

struct Kind {
    const char* fx;        // compiled effect in the program folder
    const char* technique;
    std::function<PSystem*(const std::string& fx)> make;
    D3DXVECTOR3 eye, target;
};

std::vector<Kind> Kinds()
{
    const OXEAabb box(D3DXVECTOR3(-500, -500, -500), D3DXVECTOR3(500, 500, 500));
    const D3DXVECTOR3 none(0, 0, 0), up(0, 0.9f, 0), gravity(0, -9.8f, 0);
    const std::string tex = kParticleTexture;
    return {
        {"rain.fx", "RainTech", [=](const std::string& fx) { return new RainEffect(fx, "RainTech", tex, none, box, 300, 0.01f, none); },
         D3DXVECTOR3(0, 20, -200), D3DXVECTOR3(0, 20, 0)},
        {"firering.fx", "FireRingTech", [=](const std::string& fx) { return new FireRingEffect(fx, "FireRingTech", tex, up, box, 300, 0.01f); },
         D3DXVECTOR3(0, 0, -60), none},
        {"sprinkler.fx", "SprinklerTech", [=](const std::string& fx) { return new SprinklerEffect(fx, "SprinklerTech", tex, gravity, box, 300, 0.01f); },
         D3DXVECTOR3(0, 10, -80), D3DXVECTOR3(0, 10, 0)},
        {"smoke.fx", "SmokeTech", [=](const std::string& fx) { return new SmokeEffect(fx, "SmokeTech", tex, none, box, 300, 0.01f); },
         D3DXVECTOR3(0, 200, -600), D3DXVECTOR3(0, 200, 0)},
        {"candle.fx", "CandleTech", [=](const std::string& fx) { return new CandleEffect(fx, "CandleTech", tex, up, box, 300, 0.01f); },
         D3DXVECTOR3(0, 0, -40), none},
    };
}

// Effect source in the high-level language: what a compiled effect file is not.
const char* kEffectSource =
    "uniform extern float4x4 gWVP;\n"
    "texture gTex;\n"
    "float gTime;\n"
    "float4 VS(float3 p : POSITION0) : POSITION0 { return mul(float4(p, 1.0f), gWVP); }\n"
    "float4 PS() : COLOR { return float4(1, 1, 1, 1); }\n"
    "technique CandleTech { pass P0 { vertexShader = compile vs_2_0 VS(); pixelShader = compile ps_2_0 PS(); } }\n";

struct BadEffect {
    std::string name;
    bool exists;
    std::string bytes;
};

// The unusable effect files made from one good compiled effect and the source it came from.
// Files without the compiled tag go to the effect compiler, whose message box costs about two
// seconds each here: those are made only when asked for.
std::vector<BadEffect> BadEffects(const char* fx, const char* source, bool forTheCompiler)
{
    const std::string good = Read(ProgramFile(fx));
    std::vector<BadEffect> bad = {
        {"missing", false, ""},
        {"empty", true, ""},
        {"random bytes after the compiled tag", true, Cut(good, 4) + RandomBytes(32, 700)},
        {"random structure after the compiled header", true, Cut(good, 8) + RandomBytes(33, 700)},
    };
    if (forTheCompiler) {
        bad.push_back({"random bytes", true, RandomBytes(31, 700)});
        bad.push_back({"high-level source text", true, kEffectSource});
        bad.push_back({"the effect's own source text", true, Read(SourceFile(source))});
    }
    for (size_t cut : {size_t(4), size_t(8), size_t(16), size_t(64), good.size() / 4, good.size() / 2,
                       good.size() * 3 / 4, good.size() - 8})
        bad.push_back({"cut at " + std::to_string(cut) + " of " + std::to_string(good.size()), true, Cut(good, cut)});
    return bad;
}

// Little-endian words of a compiled effect under construction.
void PutWord(std::string& s, uint32_t v)
{
    for (int k = 0; k < 4; ++k) s.push_back(char(v >> (8 * k) & 0xFF));
}

// A compiled effect of one sampler parameter whose state list holds `width` states, each state a
// sampler whose own list holds `width` states, and so on, `depth` lists deep; the states of the
// last list are integers. All states of one list share one list below them, so the file grows
// with width x depth while the states reached grow with width to the power depth. One technique
// "T" with one pass "P" without states.
std::string ChainedSamplerEffect(uint32_t width, uint32_t depth)
{
    std::string base;
    PutWord(base, 0); // 0: the empty name
    PutWord(base, 3); // 4: "gS"
    base += std::string("gS\0\0", 4);
    const uint32_t samplerType = uint32_t(base.size()); // the parameter's type: SAMPLER2D, object
    for (uint32_t w : {12u, 4u, 4u, 0u, 0u}) PutWord(base, w);
    const uint32_t stateSamplerType = uint32_t(base.size()); // the same without a name
    for (uint32_t w : {12u, 4u, 0u, 0u, 0u}) PutWord(base, w);
    const uint32_t intType = uint32_t(base.size()); // INT scalar 1 x 1
    for (uint32_t w : {2u, 0u, 0u, 0u, 0u, 1u, 1u}) PutWord(base, w);
    const uint32_t intValue = uint32_t(base.size());
    PutWord(base, 1);
    const uint32_t techniqueName = uint32_t(base.size());
    PutWord(base, 2);
    base += std::string("T\0\0\0", 4);
    const uint32_t passName = uint32_t(base.size());
    PutWord(base, 2);
    base += std::string("P\0\0\0", 4);
    // The lists, the deepest first, so that each list knows the offset of the one below it.
    const uint32_t listBytes = 4 + 16 * width;
    const uint32_t firstList = uint32_t(base.size());
    for (uint32_t level = 0; level < depth; ++level) {
        const bool last = level + 1 == depth;
        PutWord(base, width);
        for (uint32_t i = 0; i < width; ++i) {
            PutWord(base, 0xA5); // AddressU
            PutWord(base, 0);
            PutWord(base, last ? intType : stateSamplerType);
            PutWord(base, last ? intValue : firstList + (level + 1) * listBytes);
        }
    }
    std::string stream;
    for (uint32_t w : {1u, 1u, 0u, 1u}) PutWord(stream, w); // 1 parameter, 1 technique, 1 object
    for (uint32_t w : {samplerType, firstList, 0u, 0u}) PutWord(stream, w);
    for (uint32_t w : {techniqueName, 0u, 1u, passName, 0u, 0u}) PutWord(stream, w);
    for (uint32_t w : {0u, 0u}) PutWord(stream, w); // no object data, no resources
    std::string effect;
    PutWord(effect, 0xFEFF0901);
    PutWord(effect, uint32_t(base.size()));
    return effect + base + stream;
}

// A compiled effect of one texture parameter "gTex" and one technique "T" whose pass "P" binds it
// to stage 0 (Texture state, usage-1 record naming the parameter). `name` is the record's data.
std::string TextureStateEffect(const std::string& name)
{
    std::string base;
    PutWord(base, 0); // 0: the empty name
    const uint32_t texName = uint32_t(base.size());
    PutWord(base, 5);
    base += std::string("gTex\0\0\0\0", 8);
    const uint32_t texType = uint32_t(base.size()); // TEXTURE, object, named
    for (uint32_t w : {5u, 4u, texName, 0u, 0u}) PutWord(base, w);
    const uint32_t texValue = uint32_t(base.size());
    PutWord(base, 1); // object 1
    const uint32_t stateType = uint32_t(base.size()); // TEXTURE, object, no name
    for (uint32_t w : {5u, 4u, 0u, 0u, 0u}) PutWord(base, w);
    const uint32_t stateValue = uint32_t(base.size());
    PutWord(base, 2); // object 2
    const uint32_t techniqueName = uint32_t(base.size());
    PutWord(base, 2);
    base += std::string("T\0\0\0", 4);
    const uint32_t passName = uint32_t(base.size());
    PutWord(base, 2);
    base += std::string("P\0\0\0", 4);
    std::string stream;
    for (uint32_t w : {1u, 1u, 0u, 3u}) PutWord(stream, w); // 1 parameter, 1 technique, 3 objects
    for (uint32_t w : {texType, texValue, 0u, 0u}) PutWord(stream, w);
    for (uint32_t w : {techniqueName, 0u, 1u, passName, 0u, 1u}) PutWord(stream, w);
    for (uint32_t w : {0xA4u, 0u, stateType, stateValue}) PutWord(stream, w); // Texture[0]
    for (uint32_t w : {0u, 1u}) PutWord(stream, w); // no object data, one resource
    for (uint32_t w : {0u, 0u, 0xFFFFFFFFu, 0u, 1u, uint32_t(name.size())}) PutWord(stream, w);
    stream += name + std::string((4 - name.size() % 4) % 4, '\0');
    std::string effect;
    PutWord(effect, 0xFEFF0901);
    PutWord(effect, uint32_t(base.size()));
    return effect + base + stream;
}

bool Sound(const std::string& fx)
{
    return IsSoundEffectData(reinterpret_cast<const unsigned char*>(fx.data()), fx.size());
}

// Positions of the constant tables ('CTAB' tags) in a file: the table's offsets count from the
// byte after the tag.
std::vector<size_t> ConstantTables(const std::string& fx)
{
    std::vector<size_t> at;
    for (size_t i = 0; i + 4 <= fx.size(); i += 4)
        if (fx.compare(i, 4, "CTAB") == 0) at.push_back(i);
    return at;
}

// The file with the word at `offset` bytes into the table after the tag at `tag` set to `value`.
std::string WithTableWord(std::string fx, size_t tag, size_t offset, uint32_t value)
{
    memcpy(&fx[tag + 4 + offset], &value, 4);
    return fx;
}

Camera LookingAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
{
    Camera c;
    c.lookAt(eye, target, D3DXVECTOR3(0, 1, 0));
    c.setLens(D3DX_PI / 4, 320.0f / 240.0f, 1.0f, 5000.0f);
    c.update(0.0f);
    return c;
}

Picture DrawSystem(PSystem& s, const Camera& cam)
{
    Graf().begin();
    s.draw(cam);
    return Graf().end();
}

class EffectFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Graf().ok());
        ASSERT_TRUE(Write(kParticleTexture, BitmapBytes(MakeBitmap(16, 16, 0xFFFFFF))));
        Graf().device()->CreateVertexDeclarations(); // a destroyed system took the shared one
        PSystem::emitAccumulator = 0.0f;
    }
};

} // namespace

TEST_F(EffectFiles, EveryKindWithAnUnusableEffectRunsButDrawsNothing)
{
    for (const Kind& kind : Kinds()) {
        const std::string source = std::string(kind.fx) + "s";
        const Camera cam = LookingAt(kind.eye, kind.target);
        {
            // The good effect draws: the frames below could show particles.
            std::unique_ptr<PSystem> good(kind.make(ProgramFile(kind.fx)));
            ASSERT_NE(nullptr, good->effect) << kind.fx;
            good->update(1.0f);
            EXPECT_GT(CountNot(DrawSystem(*good, cam), 0), 20) << kind.fx;
        }
        const bool forTheCompiler = std::string(kind.fx) == "candle.fx";
        for (const BadEffect& bad : BadEffects(kind.fx, source.c_str(), forTheCompiler)) {
            SCOPED_TRACE(std::string(kind.fx) + ": " + bad.name);
            Graf().device()->CreateVertexDeclarations();
            DeleteFileA("bad.fx");
            if (bad.exists) {
                ASSERT_TRUE(Write("bad.fx", bad.bytes));
            }
            MessageBoxAnswerer boxes;
            std::unique_ptr<PSystem> s(kind.make("bad.fx"));
            EXPECT_EQ(nullptr, s->effect);
            EXPECT_NE(nullptr, s->texture);
            EXPECT_LE(boxes.count(), 1) << "at most the compiler's message";
            s->update(1.0f);
            EXPECT_GT(s->alive.size(), 10u) << "the processor side still runs";
            s->addParticle();
            s->setParticleBlending(128);
            EXPECT_EQ(0, CountNot(DrawSystem(*s, cam), 0));
            s->onLostDevice();
            s->onResetDevice();
            EXPECT_EQ(0, CountNot(DrawSystem(*s, cam), 0));
        }
    }
}

TEST_F(EffectFiles, GridWithAnUnusableTransformEffectDrawsNothingAndBuildsAgainWithAGoodOne)
{
    LibraryDevice& parts = *new LibraryDevice("PelmoraParts.dll", 320, 240);
    ASSERT_TRUE(parts.ok());
    IDirect3DDevice9* d = parts.d3d();
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(0, 8, -8), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 4.0f / 3.0f, 0.5f, 100.0f);
    auto draw = [&](TriGrid& g) {
        parts.begin();
        g.Render(d, view, proj);
        return CountNot(parts.end(), 0);
    };
    {
        WorkFolder folder("grid");
        TriGrid grid;
        grid.buildGeoBuffers(d, 11, 11);
        std::vector<BadEffect> files = BadEffects("transform.fx", "transform.fxs", false);
        files.push_back({"high-level source text", true, kEffectSource}); // one message box
        for (const BadEffect& bad : files) {
            SCOPED_TRACE(bad.name);
            DeleteFileA("transform.fx");
            if (bad.exists) {
                ASSERT_TRUE(Write("transform.fx", bad.bytes));
            }
            MessageBoxAnswerer boxes;
            grid.buildFX(d);
            EXPECT_EQ(nullptr, grid.effect);
            EXPECT_EQ(nullptr, grid.technique);
            EXPECT_EQ(nullptr, grid.hWVP);
            EXPECT_LE(boxes.count(), 1);
            EXPECT_EQ(0, draw(grid));
        }
        ASSERT_TRUE(CopyFileA(ProgramFile("transform.fx").c_str(), "transform.fx", FALSE));
        grid.buildFX(d);
        ASSERT_NE(nullptr, grid.effect);
        EXPECT_GT(draw(grid), 500) << "the grid's lines";
    }
    EXPECT_EQ(0u, parts.ReleaseAndCount()) << "nothing kept the grid's device alive";
}

TEST_F(EffectFiles, RepeatedFailingEffectLoadsLeakNoHandleAndNoMemory)
{
    const std::string good = Read(ProgramFile("candle.fx"));
    ASSERT_TRUE(Write("half.fx", Cut(good, good.size() / 2)));
    ASSERT_TRUE(Write("noise.fx", Cut(good, 8) + RandomBytes(40, 3000)));
    const OXEAabb box;
    // Files for the compiler are left out: each of its message boxes costs two seconds.
    for (const char* name : {"half.fx", "noise.fx", "nothing_here.fx"}) {
        MessageBoxAnswerer boxes;
        const Growth g = GrowthOver(kLeakLoops, [&] {
            Graf().device()->CreateVertexDeclarations();
            CandleEffect s(name, "CandleTech", kParticleTexture, D3DXVECTOR3(0, 0, 0), box, 100, 0.01f);
            EXPECT_EQ(nullptr, s.effect);
        });
        EXPECT_LE(g.handles, kHandleMargin) << name;
        EXPECT_LE(g.privateBytes, kPrivateByteMargin) << name;
    }
}

TEST_F(EffectFiles, ChainedSamplerListsAreAnsweredAtOnceByTheParticleSystemsAndTheGrid)
{
    // 1.7 KB whose states D3DX would reach 12^8 times: refused before D3DX sees it.
    const std::string chained = ChainedSamplerEffect(12, 8);
    ASSERT_LT(chained.size(), 1800u);
    ASSERT_TRUE(Write("chained.fx", chained));
    // A particle system made without any effect file first: what the rest of its making costs.
    std::unique_ptr<PSystem> s;
    for (const char* fx : {"nothing_here.fx", "chained.fx", "nothing_here.fx"}) {
        const std::string what = std::string("CandleEffect through PelmoraGraf.dll with ") +
                                 (std::string(fx) == "chained.fx" ? "the 1.7 KB chained sampler effect" : "no effect file");
        TimedWithHangGuard(what.c_str(), [&] {
            s.reset(new CandleEffect(fx, "CandleTech", kParticleTexture, D3DXVECTOR3(0, 0, 0), OXEAabb(), 100, 0.01f));
        });
        EXPECT_EQ(nullptr, s->effect);
        s.reset();
        Graf().device()->CreateVertexDeclarations(); // a destroyed system took the shared one
    }

    LibraryDevice& parts = *new LibraryDevice("PelmoraParts.dll", 320, 240);
    ASSERT_TRUE(parts.ok());
    {
        WorkFolder folder("chainedgrid");
        TriGrid grid;
        grid.buildGeoBuffers(parts.d3d(), 11, 11);
        ASSERT_TRUE(Write("transform.fx", chained));
        TimedWithHangGuard("TriGrid::buildFX through PelmoraParts.dll with the 1.7 KB chained sampler effect", [&] { grid.buildFX(parts.d3d()); });
        EXPECT_EQ(nullptr, grid.effect);
        ASSERT_TRUE(Write("transform.fx", ChainedSamplerEffect(32, 8)));
        TimedWithHangGuard("TriGrid::buildFX through PelmoraParts.dll with the 4.6 KB chained sampler effect", [&] { grid.buildFX(parts.d3d()); });
        EXPECT_EQ(nullptr, grid.effect);
    }
    EXPECT_EQ(0u, parts.ReleaseAndCount());

    // The effects written here as D3DX reads them: a shallow chain and a named texture state load.
    for (const std::string& fx : {ChainedSamplerEffect(12, 3), TextureStateEffect(std::string("gTex\0", 5))}) {
        ASSERT_TRUE(Sound(fx));
        ID3DXEffect* effect = nullptr;
        EXPECT_EQ(D3D_OK, D3DXCreateEffect(Graf().d3d(), fx.data(), UINT(fx.size()), nullptr, nullptr, 0, nullptr, &effect, nullptr));
        ASSERT_NE(nullptr, effect);
        EXPECT_NE(nullptr, effect->GetTechniqueByName("T"));
        effect->Release();
    }
}

TEST_F(EffectFiles, ShaderConstantTablesReachingOutsideAreRefusedByTheParticleSystems)
{
    // The constant list of the first shader's table far outside it (D3DX read past the file).
    const std::string good = Read(ProgramFile("candle.fx"));
    const std::vector<size_t> tables = ConstantTables(good);
    ASSERT_FALSE(tables.empty());
    ASSERT_TRUE(Write("farconstants.fx", WithTableWord(good, tables[0], 16, 0x7FFFFFF0)));
    std::unique_ptr<PSystem> s;
    TimedWithHangGuard("CandleEffect through PelmoraGraf.dll with a constant table reaching outside", [&] {
        s.reset(new CandleEffect("farconstants.fx", "CandleTech", kParticleTexture, D3DXVECTOR3(0, 0, 0), OXEAabb(), 100, 0.01f));
    });
    EXPECT_EQ(nullptr, s->effect);
    s.reset();
    Graf().device()->CreateVertexDeclarations();
    ASSERT_TRUE(CopyFileA(ProgramFile("candle.fx").c_str(), "goodcandle.fx", FALSE));
    s.reset(new CandleEffect("goodcandle.fx", "CandleTech", kParticleTexture, D3DXVECTOR3(0, 0, 0), OXEAabb(), 100, 0.01f));
    EXPECT_NE(nullptr, s->effect);
}

TEST_F(EffectFiles, ReleasingTheRenderDeviceLeavesNoReferenceOnTheDevice)
{
    {
        std::unique_ptr<PSystem> s(Kinds()[4].make("nothing_here.fx"));
        s->update(0.5f);
    }
    EXPECT_EQ(0u, Graf().ReleaseAndCount());
}

TEST(EffectFileCheck, RefusesTheCompiledEffectsCutAtAnyByteAndTakesThemWhole)
{
    for (const char* fx : {"rain.fx", "firering.fx", "sprinkler.fx", "smoke.fx", "candle.fx", "transform.fx"}) {
        SCOPED_TRACE(fx);
        const std::string good = Read(ProgramFile(fx));
        ASSERT_GT(good.size(), 100u);
        const unsigned char* data = reinterpret_cast<const unsigned char*>(good.data());
        EXPECT_TRUE(IsSoundEffectData(data, good.size()));
        int taken = 0;
        for (size_t cut = 4; cut < good.size(); ++cut)
            if (IsSoundEffectData(data, cut)) ++taken;
        EXPECT_EQ(0, taken) << "cuts taken as whole effects";
        // Without the compiled tag the bytes are source for the compiler, which judges them.
        EXPECT_TRUE(IsSoundEffectData(reinterpret_cast<const unsigned char*>(kEffectSource), strlen(kEffectSource)));
        // A count or an offset spoiled in the structure: refused, never read past the end.
        std::string spoiled = good;
        const unsigned start = unsigned(uint8_t(good[4])) | unsigned(uint8_t(good[5])) << 8;
        for (size_t word : {size_t(4), size_t(8 + start), size_t(8 + start + 4), size_t(8 + start + 12)}) {
            spoiled = good;
            spoiled[word + 3] = char(0x7F);
            EXPECT_FALSE(IsSoundEffectData(reinterpret_cast<const unsigned char*>(spoiled.data()), spoiled.size()))
                << "word at " << word;
        }
    }
}


TEST(EffectFileCheck, StatesReachedOverAndOverAreRefusedWithinTheWorkTheFileSizeAllows)
{
    // Lists shared a few levels deep are ordinary sharing, which D3DX loads at once.
    EXPECT_TRUE(Sound(ChainedSamplerEffect(12, 1)));
    EXPECT_TRUE(Sound(ChainedSamplerEffect(12, 3)));
    EXPECT_TRUE(Sound(ChainedSamplerEffect(256, 1)));
    // Deeper, the states reached grow far faster than the file.
    EXPECT_FALSE(Sound(ChainedSamplerEffect(12, 8)));
    EXPECT_FALSE(Sound(ChainedSamplerEffect(32, 8)));
    EXPECT_FALSE(Sound(ChainedSamplerEffect(256, 8)));
    EXPECT_FALSE(Sound(ChainedSamplerEffect(16, 4)));
    EXPECT_FALSE(Sound(ChainedSamplerEffect(2, 9))) << "nesting deeper than eight lists";
}

TEST(EffectFileCheck, ShaderCodeAndParameterNamesInsideTheEffectMustBeWhole)
{
    // The usage-1 record names its parameter with a terminated string.
    const std::string named = TextureStateEffect(std::string("gTex\0", 5));
    ASSERT_TRUE(Sound(named));
    EXPECT_FALSE(Sound(TextureStateEffect("gTex"))) << "no terminator inside the record";
    EXPECT_FALSE(Sound(TextureStateEffect(""))) << "an empty record";

    // Each built effect's shaders: the end token of one replaced by a nop leaves code that
    // Direct3D would read past.
    for (const char* fx : {"rain.fx", "firering.fx", "sprinkler.fx", "smoke.fx", "candle.fx", "transform.fx"}) {
        SCOPED_TRACE(fx);
        const std::string good = Read(ProgramFile(fx));
        ASSERT_TRUE(Sound(good));
        int spoiled = 0;
        // A shader is a resource's data: its size word, then code of that size.
        for (size_t at = 12; at + 8 <= good.size(); at += 4) {
            uint32_t version, size;
            memcpy(&version, good.data() + at, 4);
            memcpy(&size, good.data() + at - 4, 4);
            const uint32_t kind = version >> 16;
            if ((kind != kVertexShaderCodeKind && kind != kPixelShaderCodeKind) || (version & 0xFF00) != 0x0200 ||
                size > good.size() - at || !CompiledCodeFits(good.data() + at, size, kind))
                continue;
            size_t end = 8;
            while (at + end <= good.size() && !CompiledCodeFits(good.data() + at, end, kind)) end += 4;
            ASSERT_LE(at + end, good.size()) << "a shader at " << at << " ends inside the file";
            std::string bad = good;
            memset(&bad[at + end - 4], 0, 4);
            EXPECT_FALSE(Sound(bad)) << "shader at " << at << " without its end token";
            ++spoiled;
        }
        EXPECT_GE(spoiled, 2) << "a vertex and a pixel shader";
    }
}

TEST(EffectFileCheck, ConstantTablesOfTheShadersMustLieInsideTheirComments)
{
    for (const char* fx : {"rain.fx", "firering.fx", "sprinkler.fx", "smoke.fx", "candle.fx", "transform.fx"}) {
        SCOPED_TRACE(fx);
        const std::string good = Read(ProgramFile(fx));
        const std::vector<size_t> tables = ConstantTables(good);
        ASSERT_GE(tables.size(), 1u);
        int withConstants = 0;
        for (size_t tag : tables) {
            SCOPED_TRACE(tag);
            uint32_t constants, constantList;
            memcpy(&constants, good.data() + tag + 4 + 12, 4);
            memcpy(&constantList, good.data() + tag + 4 + 16, 4);
            struct Spoil { const char* what; size_t offset; uint32_t value; };
            std::vector<Spoil> spoils = {
                {"creator string outside", 4, 0x7FFFFFF0},
                {"constant list outside", 16, 0x7FFFFFF0},
                {"constant count past the table", 12, 0x7FFFFFF},
                {"target string outside", 24, 0xFFFFFFFF},
            };
            uint32_t typeOffset = 0;
            if (constants >= 1) {
                ++withConstants;
                memcpy(&typeOffset, good.data() + tag + 4 + constantList + 12, 4);
                spoils.insert(spoils.end(), {
                    {"first constant's name outside", constantList, 0x7FFFFFF0},
                    {"first constant's type outside", constantList + 12, 0x7FFFFFF0},
                    {"first constant's default value outside", constantList + 16, 0x7FFFFFF0},
                    {"first constant's type a struct of 0xFFFF members outside", typeOffset, 0x00030005},
                });
            }
            for (const auto& spoil : spoils) {
                std::string bad = WithTableWord(good, tag, spoil.offset, spoil.value);
                if (std::string(spoil.what).find("struct") != std::string::npos) {
                    bad = WithTableWord(bad, tag, typeOffset + 8, 0xFFFF0001); // elements 1, members 0xFFFF
                    bad = WithTableWord(bad, tag, typeOffset + 12, 0x7FFFFFF0);
                }
                EXPECT_FALSE(Sound(bad)) << spoil.what;
            }
        }
        EXPECT_GE(withConstants, 1);
    }
}
