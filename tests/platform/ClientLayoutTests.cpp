// The layout a client finds: every exported class as a client declares it from the documentation
// (ClientDeclarations.h, compiled here inside namespace client) against the engine's own
// headers, from which the libraries are built: the same size, alignment and field offsets. The
// sizes and offsets the documentation states in figures are checked against both.
#include <gtest/gtest.h>
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>
#include <d3dx9.h>
#include "advString.h"
#include "Timer.h"
#include "geTimer.h"
#include "OXETimer.h"
#include "OXETimerF.h"
#include "Camera.h"
#include "geQuad.h"
#include "Sprite2D.h"
#include "OXEParticleSystem.h"
#include "CWorldTransform.h"
#include "CMesh.h"
#include "meshObject.h"
#include "simpleMesh.h"
#include "OXELamp.h"
#include "OXELight.h"
#include "paneeli.h"
#include "textParams.h"
#include "simpleMenu.h"
#include "textCache.h"
#include "TriGrid.h"
#include "OXESurface.h"
#include "OXETexture.h"
#include "OXEText3D.h"
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEAabb.h"
#include "OXEObb.h"
#include "OXEPolygon.h"
#include "OXEQuat.h"
#include "PSystem.h"
#include "Rain.h"
#include "FireRing.h"
#include "Sprinkler.h"
#include "Smoke.h"
#include "Candle.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "Pixelate.h"

namespace client {
#include "ClientDeclarations.h"
}

// Offsets into classes with a base or virtual operations: what g++ lays out is what is compared.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {

struct Measure {
    const char* what;
    size_t client; // as the client declares it
    size_t engine; // as the engine's headers declare it
};

#define SIZE(C) {#C " size", sizeof(client::C), sizeof(::C)}, {#C " alignment", alignof(client::C), alignof(::C)},
#define AT(C, f) {#C "::" #f, offsetof(client::C, f), offsetof(::C, f)},

// Every exported class, and each public field by name (advString's and OXEPolygon's fields are
// private in the engine: their sizes cover them).
const Measure kLayouts[] = {
    SIZE(advString)
    SIZE(Timer) AT(Timer, startTimeInMicroSec) AT(Timer, endTimeInMicroSec) AT(Timer, stopped)
    AT(Timer, frequency) AT(Timer, startCount) AT(Timer, endCount)
    SIZE(geTimer) AT(geTimer, frequency) AT(geTimer, lastCount) AT(geTimer, delta) AT(geTimer, now)
    SIZE(OXETimer) AT(OXETimer, lastTime) AT(OXETimer, accumulated) AT(OXETimer, startTime)
    AT(OXETimer, running)
    SIZE(OXETimerF) AT(OXETimerF, frequency) AT(OXETimerF, currentCount) AT(OXETimerF, lastCount)
    AT(OXETimerF, fpsStartCount) AT(OXETimerF, fpsInterval) AT(OXETimerF, frameCount)
    AT(OXETimerF, runningTime) AT(OXETimerF, elapsed) AT(OXETimerF, fps) AT(OXETimerF, stopped)
    SIZE(Camera) AT(Camera, flyMode) AT(Camera, moveVector) AT(Camera, pitch) AT(Camera, pitchLimit)
    AT(Camera, invertPitch) AT(Camera, viewMatrix) AT(Camera, projMatrix) AT(Camera, viewProjMatrix)
    AT(Camera, position) AT(Camera, rightAxis) AT(Camera, upAxis) AT(Camera, lookAxis)
    AT(Camera, speed) AT(Camera, frustum)
    SIZE(geQuad) AT(geQuad, vertexBuffer) AT(geQuad, indexBuffer) AT(geQuad, texture)
    AT(geQuad, indices) AT(geQuad, world) AT(geQuad, x) AT(geQuad, y) AT(geQuad, z) AT(geQuad, px)
    AT(geQuad, py) AT(geQuad, pz) AT(geQuad, colour) AT(geQuad, alphaBlend) AT(geQuad, textured)
    SIZE(Sprite2D) AT(Sprite2D, sprite) AT(Sprite2D, texture) AT(Sprite2D, x) AT(Sprite2D, y)
    AT(Sprite2D, width) AT(Sprite2D, height) AT(Sprite2D, scale) AT(Sprite2D, rotation)
    SIZE(OXEParticleSystemParams) AT(OXEParticleSystemParams, position)
    AT(OXEParticleSystemParams, velocity) AT(OXEParticleSystemParams, size)
    AT(OXEParticleSystemParams, finalSize) AT(OXEParticleSystemParams, startColour)
    AT(OXEParticleSystemParams, endColour) AT(OXEParticleSystemParams, lifeTime)
    AT(OXEParticleSystemParams, dispersion) AT(OXEParticleSystemParams, speed)
    SIZE(OXEParticle) AT(OXEParticle, position) AT(OXEParticle, previousPosition)
    AT(OXEParticle, velocity) AT(OXEParticle, startSize) AT(OXEParticle, endSize) AT(OXEParticle, age)
    AT(OXEParticle, lifeTime) AT(OXEParticle, startColour) AT(OXEParticle, endColour)
    AT(OXEParticle, dispersion) AT(OXEParticle, speed)
    SIZE(OXEParticleSystem) AT(OXEParticleSystem, params) AT(OXEParticleSystem, particles)
    AT(OXEParticleSystem, count) AT(OXEParticleSystem, texture) AT(OXEParticleSystem, rate)
    AT(OXEParticleSystem, carry) AT(OXEParticleSystem, dontCreate)
    SIZE(CWorldTransform) AT(CWorldTransform, translate) AT(CWorldTransform, rotate)
    AT(CWorldTransform, scale) AT(CWorldTransform, final) AT(CWorldTransform, rotation)
    SIZE(CMesh) AT(CMesh, mesh) AT(CMesh, numMaterials) AT(CMesh, materials) AT(CMesh, textures)
    SIZE(CMeshInstance) AT(CMeshInstance, transform) AT(CMeshInstance, mesh)
    SIZE(meshObject) AT(meshObject, materialBuffer) AT(meshObject, mesh) AT(meshObject, numMaterials)
    AT(meshObject, materials) AT(meshObject, textures) AT(meshObject, textureFN)
    AT(meshObject, transform)
    SIZE(simpleMesh) AT(simpleMesh, numMaterials) AT(simpleMesh, mesh) AT(simpleMesh, materials)
    AT(simpleMesh, textures) AT(simpleMesh, transform)
    SIZE(OXELightProperties) AT(OXELightProperties, ambient) AT(OXELightProperties, diffuse)
    AT(OXELightProperties, specular) AT(OXELightProperties, attenuation0)
    AT(OXELightProperties, attenuation1) AT(OXELightProperties, attenuation2)
    AT(OXELightProperties, position) AT(OXELightProperties, direction)
    AT(OXELightProperties, falloff) AT(OXELightProperties, phi) AT(OXELightProperties, range)
    AT(OXELightProperties, theta)
    SIZE(OXELamp) AT(OXELamp, light) AT(OXELamp, direction) AT(OXELamp, on) AT(OXELamp, diffuseBytes)
    SIZE(OXELight) AT(OXELight, transform) AT(OXELight, light)
    SIZE(paneeli) AT(paneeli, color1) AT(paneeli, color2) AT(paneeli, height) AT(paneeli, width)
    AT(paneeli, x) AT(paneeli, y) AT(paneeli, style) AT(paneeli, tag) AT(paneeli, active)
    SIZE(textParams) AT(textParams, x) AT(textParams, y) AT(textParams, height) AT(textParams, width)
    AT(textParams, spare) AT(textParams, color) AT(textParams, rgba) AT(textParams, selectedRgba)
    AT(textParams, text) AT(textParams, flagA) AT(textParams, flagB) AT(textParams, fontName)
    SIZE(menuItem) AT(menuItem, normalColor) AT(menuItem, hoverColor) AT(menuItem, index)
    AT(menuItem, hover) AT(menuItem, currentColor) AT(menuItem, labelWidth)
    AT(menuItem, labelHeight) AT(menuItem, shown) AT(menuItem, hidden)
    SIZE(simpleMenu) AT(simpleMenu, color1) AT(simpleMenu, color2) AT(simpleMenu, height)
    AT(simpleMenu, width) AT(simpleMenu, x) AT(simpleMenu, y) AT(simpleMenu, style)
    AT(simpleMenu, items) AT(simpleMenu, showPanel) AT(simpleMenu, itemCount) AT(simpleMenu, left)
    AT(simpleMenu, top) AT(simpleMenu, spacing)
    SIZE(textCache) AT(textCache, ready) AT(textCache, entries)
    SIZE(TriGrid) AT(TriGrid, transform) AT(TriGrid, numVertices) AT(TriGrid, numTriangles)
    AT(TriGrid, vertexBuffer) AT(TriGrid, indexBuffer) AT(TriGrid, effect) AT(TriGrid, technique)
    AT(TriGrid, hWVP)
    SIZE(OXESurface) AT(OXESurface, surface) AT(OXESurface, info)
    SIZE(OXETexture) AT(OXETexture, texture)
    SIZE(OXEText3D) AT(OXEText3D, mesh) AT(OXEText3D, lighting) AT(OXEText3D, transform)
    SIZE(OXEPlane) AT(OXEPlane, normal) AT(OXEPlane, point) AT(OXEPlane, d)
    SIZE(OXERay) AT(OXERay, origin) AT(OXERay, direction)
    SIZE(OXEAabb) AT(OXEAabb, min) AT(OXEAabb, max) AT(OXEAabb, centre) AT(OXEAabb, rangeMin)
    AT(OXEAabb, rangeMax)
    SIZE(OXEObb) AT(OXEObb, e0) AT(OXEObb, e1) AT(OXEObb, e2) AT(OXEObb, A0) AT(OXEObb, A1)
    AT(OXEObb, A2) AT(OXEObb, centre)
    SIZE(OXEPolygon)
    SIZE(OXEQuat) AT(OXEQuat, x) AT(OXEQuat, y) AT(OXEQuat, z) AT(OXEQuat, w)
    SIZE(Particle) AT(Particle, startPos) AT(Particle, startVelocity) AT(Particle, startSize)
    AT(Particle, birthTime) AT(Particle, lifeSpan) AT(Particle, mass) AT(Particle, startColor)
    SIZE(PSystem) AT(PSystem, useAlphaFade) AT(PSystem, effect) AT(PSystem, technique)
    AT(PSystem, hWVP) AT(PSystem, hEyePosL) AT(PSystem, hTex) AT(PSystem, hTime) AT(PSystem, hAccel)
    AT(PSystem, hViewportHeight) AT(PSystem, texture) AT(PSystem, vertexBuffer) AT(PSystem, world)
    AT(PSystem, invWorld) AT(PSystem, time) AT(PSystem, accel) AT(PSystem, box)
    AT(PSystem, maxParticles) AT(PSystem, timePerParticle) AT(PSystem, particles)
    AT(PSystem, alive) AT(PSystem, dead)
    SIZE(FireRing) SIZE(Sprinkler) SIZE(Smoke) SIZE(Candle) SIZE(Rain) AT(Rain, initCamPos)
    SIZE(FadeScreen) AT(FadeScreen, width) AT(FadeScreen, height) AT(FadeScreen, ready)
    AT(FadeScreen, pict1) AT(FadeScreen, pict2) AT(FadeScreen, finalPicture)
    AT(FadeScreen, fillMode) AT(FadeScreen, color1) AT(FadeScreen, color2)
    SIZE(simple_worm) AT(simple_worm, speed) AT(simple_worm, x) AT(simple_worm, reserved)
    AT(simple_worm, width) AT(simple_worm, drop)
    SIZE(MeltScreen) AT(MeltScreen, wormCount) AT(MeltScreen, width) AT(MeltScreen, height)
    AT(MeltScreen, ready) AT(MeltScreen, logFlush) AT(MeltScreen, logFile) AT(MeltScreen, pict1)
    AT(MeltScreen, pict2) AT(MeltScreen, finalPicture) AT(MeltScreen, color1)
    AT(MeltScreen, color2) AT(MeltScreen, fillMode) AT(MeltScreen, worms)
    SIZE(Pixelate) AT(Pixelate, source) AT(Pixelate, work) AT(Pixelate, savedTarget)
    AT(Pixelate, ready) AT(Pixelate, width) AT(Pixelate, height) AT(Pixelate, format)
    AT(Pixelate, blockSize)
};

#undef SIZE
#undef AT

struct Figure {
    const char* what;
    size_t stated; // what the documentation states
    size_t client;
    size_t engine;
};

const Figure kFigures[] = {
    {"advString size", 1028, sizeof(client::advString), sizeof(::advString)},
    {"OXEParticleSystemParams size", 52, sizeof(client::OXEParticleSystemParams), sizeof(::OXEParticleSystemParams)},
    {"OXELightProperties size (25 floats)", 100, sizeof(client::OXELightProperties), sizeof(::OXELightProperties)},
    {"OXEPlane size (7 floats)", 28, sizeof(client::OXEPlane), sizeof(::OXEPlane)},
    {"OXEAabb size (15 floats)", 60, sizeof(client::OXEAabb), sizeof(::OXEAabb)},
    {"OXEObb size (15 floats)", 60, sizeof(client::OXEObb), sizeof(::OXEObb)},
    {"textCache size (flag, pointer)", 16, sizeof(client::textCache), sizeof(::textCache)},
    {"simple_worm size (5 ints)", 20, sizeof(client::simple_worm), sizeof(::simple_worm)},
    {"Particle size", 44, sizeof(client::Particle), sizeof(::Particle)},
    {"Particle::startPos", 0, offsetof(client::Particle, startPos), offsetof(::Particle, startPos)},
    {"Particle::startVelocity", 12, offsetof(client::Particle, startVelocity), offsetof(::Particle, startVelocity)},
    {"Particle::startSize", 24, offsetof(client::Particle, startSize), offsetof(::Particle, startSize)},
    {"Particle::birthTime", 28, offsetof(client::Particle, birthTime), offsetof(::Particle, birthTime)},
    {"Particle::lifeSpan", 32, offsetof(client::Particle, lifeSpan), offsetof(::Particle, lifeSpan)},
    {"Particle::mass", 36, offsetof(client::Particle, mass), offsetof(::Particle, mass)},
    {"Particle::startColor", 40, offsetof(client::Particle, startColor), offsetof(::Particle, startColor)},
};

} // namespace

TEST(ClientLayout, EveryExportedClassLaysOutAsAClientDeclaresIt)
{
    EXPECT_GT(sizeof(kLayouts) / sizeof(kLayouts[0]), 300u);
    for (const Measure& m : kLayouts) EXPECT_EQ(m.client, m.engine) << m.what << " (client, engine)";
}

TEST(ClientLayout, StatedSizesAndOffsets)
{
    for (const Figure& f : kFigures) {
        EXPECT_EQ(f.client, f.stated) << f.what << " as the client declares it";
        EXPECT_EQ(f.engine, f.stated) << f.what << " in the engine";
    }
}
