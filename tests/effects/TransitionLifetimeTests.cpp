// Every surface a transition makes or takes is released exactly once: a device used by all
// three, through repeated set-up, ends with no object left alive.
#include <gtest/gtest.h>
#include "EffectsTestSupport.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "Pixelate.h"

using namespace effectstest;

TEST(TransitionLifetime, RepeatedSetUpLeavesNothingBehind)
{
    testsupport::TestDevice device(128, 128);
    ASSERT_TRUE(device.ok());
    IDirect3DDevice9* dev = device.device();
    WriteDdsPicture("life1.dds", 32, 32, Pattern(1));
    WriteDdsPicture("life2.dds", 32, 32, Pattern(2));
    {
        FadeScreen fade;
        fade.init(32, 32, "life1.dds", "life2.dds", dev, D3DFMT_X8R8G8B8);
        fade.init(32, 32, "life1.dds", "life2.dds", dev, D3DFMT_X8R8G8B8);
        fade.initPict1("life2.dds", dev);
        fade.initPict2("life1.dds", dev);
        fade.RenderPict1ToFinalPicture(dev);
        EXPECT_EQ(fade.RenderFinalPicture(100), 0);
        fade.RenderToBackBuffer(dev);

        MeltScreen melt;
        melt.init(128, 32, 32, dev, D3DFMT_X8R8G8B8);
        melt.init(128, 32, 32, dev, D3DFMT_X8R8G8B8);
        melt.initPict1("life1.dds", 0, false, dev, D3DFMT_X8R8G8B8);
        melt.initPict1("life1.dds", 0, true, dev, D3DFMT_X8R8G8B8);
        melt.initPict2("life2.dds", 0, false, dev, D3DFMT_X8R8G8B8);
        melt.CopyBackBuffer(dev, 2);
        melt.CopyBackBuffer(dev, 2);
        melt.CopyBackBuffer(dev, 3);
        melt.fillMode = 2;
        EXPECT_EQ(melt.RenderFinalPicture(), 0);
        melt.RenderToBackBuffer(dev);

        Pixelate pixelate;
        pixelate.init(dev, "life1.dds", true);
        pixelate.init(dev, "life2.dds", true);
        pixelate.SaveOldTarget(dev);
        pixelate.SaveOldTarget(dev);
        pixelate.RenderToSrc(dev);
        pixelate.RestoreOldTarget(dev);
        EXPECT_EQ(pixelate.RenderToBackSurface(dev, 4), 0);
        EXPECT_EQ(pixelate.PixelateBackBuffer(dev, 4), 0);
        pixelate.CopyBackBuffeToSrc(dev);
        pixelate.CaptureBackBufferToSurface(dev);
    }
    EXPECT_EQ(device.releaseDevice(), 0u) << "a surface reference was left behind";
}
