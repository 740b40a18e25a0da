// A client program of the Pelmora engine on its application frame, in a 640 x 480 window:
//   top left      a fade of PelmoraEffects between two pictures the client makes at start
//   top right     a textured screen quad of PelmoraParts
//   bottom left   a ring of green sparks: a particle effect of PelmoraGraf drawn with the
//                 client's own effect (spark.fxs, compiled by fxbuild at build time)
//   bottom right  a 3D text of PelmoraParts, lit by a lamp
//
//   client.exe                        runs until Esc or the close box
//   client.exe --shot FILE [--frames N]   saves frame N (30) as PNG and ends
//   client.exe --size WxH             another window size (the layout stays in its corner)
#include <windows.h>
#include <d3dx9.h>
#include <cstdio>
#include <string>
#include "PelmoraApp.h"
#include "geQuad.h"
#include "OXEText3D.h"
#include "OXELamp.h"
#include "FireRing.h"
#include "FadeScreen.h"
#include "Camera.h"
#include "ClientPictures.h"

namespace {

const int kWidth = 640, kHeight = 480;
const D3DVIEWPORT9 kParticleView = {0, 224, 320, 256, 0.0f, 1.0f};
const D3DVIEWPORT9 kTextView = {320, 224, 320, 256, 0.0f, 1.0f};
const int kFadeFrames = 120; // one fade, then the next one the other way round

// Everything the client draws. Made on the render device's Direct3D device once it runs, and
// gone (destructors) before the frame releases the device.
class Scene {
public:
    // The compiled effect is read from effectFolder, the pictures from pictureFolder.
    Scene(IDirect3DDevice9* d3d, const std::string& effectFolder, const std::string& pictureFolder)
        : d3d_(d3d), folder_(pictureFolder),
          sparks_(effectFolder + "spark.fx", "SparkTech", pictureFolder + "client_spark.dds", D3DXVECTOR3(0, 0, 0),
                  OXEAabb(D3DXVECTOR3(-100, -100, -100), D3DXVECTOR3(100, 100, 100)), 600, 0.004f)
    {
        quad_.setGlobalCoords(352, 32, 0);
        quad_.doBox(256, 128, 0);
        quad_.setColor(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
        quad_.createGeoBuffers(d3d);
        ok_ = quad_.CreateTexture(d3d, (folder_ + "client_quad.dds").c_str()) == 0;

        ok_ = SUCCEEDED(title_.CreatD3DXTextMesh(d3d, const_cast<char*>("Arial"), advString("Pelmora"), 12, 1, 0)) && ok_;
        title_.lighting = true;
        title_.transform.TranslateAbs(-2.1f, -0.3f, 0.0f);
        lamp_.init(D3DLIGHT_DIRECTIONAL);
        lamp_.setDirection(D3DXVECTOR3(0.3f, -0.4f, 1.0f));

        startFade(false);
        ok_ = sparks_.effect && sparks_.texture && ok_;
    }

    // False when a part could not be made (its file missing or refused).
    bool ok() const { return ok_; }

    void frame(float seconds)
    {
        // The device starts with its own vertex shader active; these parts draw with the
        // fixed-function pipeline (the particle effect sets its own shaders).
        d3d_->SetVertexShader(nullptr);
        d3d_->SetPixelShader(nullptr);

        if (++fadeFrame_ > kFadeFrames) startFade(!reversed_);
        fade_.RenderFinalPicture(256 * 192 / 60);
        fade_.RenderToBackBuffer(d3d_);

        quad_.Render(d3d_);

        d3d_->SetViewport(&kParticleView);
        Camera eye;
        eye.lookAt(D3DXVECTOR3(0, 0, -40), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
        eye.setLens(D3DX_PI / 4, float(kParticleView.Width) / kParticleView.Height, 1.0f, 500.0f);
        eye.update(0.0f);
        sparks_.update(seconds);
        sparks_.draw(eye);

        d3d_->SetViewport(&kTextView);
        D3DXMATRIX view, proj;
        D3DXVECTOR3 from(0, 0, -6), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &from, &at, &up);
        D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(kTextView.Width) / kTextView.Height, 0.1f, 100.0f);
        d3d_->SetTransform(D3DTS_VIEW, &view);
        d3d_->SetTransform(D3DTS_PROJECTION, &proj);
        d3d_->SetVertexShader(nullptr);
        d3d_->SetPixelShader(nullptr);
        d3d_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        lamp_.update(d3d_);
        title_.Render(d3d_);

        // The next frame's clear covers the viewport in force: the whole window again.
        D3DVIEWPORT9 whole = {0, 0, DWORD(kWidth), DWORD(kHeight), 0.0f, 1.0f};
        IDirect3DSurface9* back = nullptr;
        if (SUCCEEDED(d3d_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
            D3DSURFACE_DESC desc;
            back->GetDesc(&desc);
            whole.Width = desc.Width;
            whole.Height = desc.Height;
            back->Release();
        }
        d3d_->SetViewport(&whole);
    }

private:
    // A fade from picture A to B, or back from B to A.
    void startFade(bool reversed)
    {
        reversed_ = reversed;
        fadeFrame_ = 0;
        const std::string a = folder_ + "client_a.dds", b = folder_ + "client_b.dds";
        fade_.init(256, 192, (reversed ? b : a).c_str(), (reversed ? a : b).c_str(), d3d_, D3DFMT_X8R8G8B8);
        fade_.fillMode = 2; // picked pixels take picture 2's
        fade_.RenderPict1ToFinalPicture(d3d_);
        ok_ = ok_ && fade_.ready && fade_.GetPict1() && fade_.GetPict2();
    }

    IDirect3DDevice9* d3d_;
    std::string folder_;  // where the pictures are
    bool ok_ = true;
    geQuad quad_;
    OXEText3D title_;
    OXELamp lamp_;
    FireRingEffect sparks_;
    FadeScreen fade_;
    int fadeFrame_ = 0;
    bool reversed_ = false;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora client";
    settings.width = kWidth;
    settings.height = kHeight;
    settings.background = 0xFF202020;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();

    // The pictures are written into the working folder; the compiled effect is beside the program.
    if (!WriteClientPictures(".\\")) {
        std::fprintf(stderr, "client: cannot write its pictures into the working folder\n");
        app.stop();
        return 1;
    }
    int result = 0;
    {
        Scene scene(app.d3d(), PelmoraApp::ProgramFolder(), ".\\");
        if (!scene.ok())
            std::fprintf(stderr, "client: a part did not load (spark.fx beside the program, pictures in the working folder)\n");
        result = scene.ok() ? 0 : 1;
        if (result == 0) app.run([&](float seconds) { scene.frame(seconds); return true; });
    }
    const int code = app.stop();
    return result ? result : code;
}
