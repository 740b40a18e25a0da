// The render device as a client program reaches it: PelmoraGraf.dll loaded by name, its factory
// called, the device started on a window the way the game starts it. Tests call it only through
// the OXERenderDevice interface and the two manager interfaces it hands out; the concrete
// layout (shared by every deliverable) is read only to see counts the interface does not show.
//
// Cases are tables of rows; each row names itself, so a failing one says which call it was.
#pragma once
#include "OXED3D.h"
#include "OXEResult.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace argstest {

// One call of a table: its name and the call with its expectations.
struct Row {
    const char* name;
    std::function<void()> run;
};

// Runs every row with its name attached to whatever it reports.
inline void RunRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.run();
    }
}

// References held on a Direct3D device: every resource made on it holds one, so an unchanged
// count after a table of refused calls means none of them left a Direct3D object behind.
inline ULONG References(IDirect3DDevice9* device)
{
    device->AddRef();
    return device->Release();
}

// The shared client device (made once for the whole program, released at its end).
struct Client {
    HMODULE library = nullptr;            // PelmoraGraf.dll
    testsupport::TestWindow* window = nullptr;
    OXERenderDevice* device = nullptr;    // made by CreateRenderDevice
    HRESULT initResult = OXE_FAIL;        // what Init returned

    OXED3D* layout() const { return static_cast<OXED3D*>(device); } // fields only, never calls
    IDirect3DDevice9* d3d() const { return device ? device->GetD3DDevice() : nullptr; }
    OXESkinManager* skins() const { return device ? device->GetSkinManager() : nullptr; }
    OXEVertexCacheManager* caches() const { return device ? device->GetVertexCacheManager() : nullptr; }
};
Client& TheClient();

// Fixture base: skips nothing, fails at once when the client device did not start.
class ClientTest : public ::testing::Test {
protected:
    void SetUp() override;
    OXERenderDevice* dev() const { return TheClient().device; }
    IDirect3DDevice9* d3d() const { return TheClient().d3d(); }
    OXESkinManager* skins() const { return TheClient().skins(); }
    OXEVertexCacheManager* caches() const { return TheClient().caches(); }
    OXED3D* layout() const { return TheClient().layout(); }

    // One frame cleared to black, `draw` inside it, read back before the present.
    testsupport::Picture Frame(const std::function<void()>& draw);
    // Pixels whose colour is not black.
    static int Lit(const testsupport::Picture& p, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1);
};

// A 24-bit bitmap of one colour written into the working folder; returns its name.
std::string SolidBitmap(const char* name, int width, int height, uint32_t rgb);

} // namespace argstest
