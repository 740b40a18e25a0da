// The measures the leak checks rely on: the process's handle count and private bytes are real
// numbers here, and they do grow when handles and textures are kept.
#include <gtest/gtest.h>
#include <vector>
#include <d3dx9.h>
#include "BadFileSupport.h"
#include "TestDevice.h"

using namespace badfiles;

TEST(LeakMeasures, HandlesAndPrivateBytesAreRealAndSeeWhatIsKept)
{
    const ProcessUsage now = CurrentUsage();
    printf("handles %lu, private bytes %llu\n", now.handles, (unsigned long long)now.privateBytes);
    EXPECT_GT(now.handles, 0u);
    EXPECT_GT(now.privateBytes, 100000u);

    // Files kept open: one handle each.
    ASSERT_TRUE(Write("kept.txt", "kept"));
    std::vector<HANDLE> files;
    Growth opened = GrowthOver(kLeakLoops, [&] {
        files.push_back(CreateFileA("kept.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    });
    for (HANDLE h : files) CloseHandle(h);
    printf("%d kept files: %ld handles\n", kLeakLoops, opened.handles);
    EXPECT_GT(opened.handles, kHandleMargin);
    EXPECT_GE(opened.handles, kLeakLoops - 2);

    // Textures kept alive and filled: 64 x 64 x 4 bytes each in the managed pool's copy.
    testsupport::TestDevice device(64, 64);
    ASSERT_TRUE(device.ok());
    std::vector<IDirect3DTexture9*> textures;
    Growth kept = GrowthOver(kLeakLoops, [&] {
        IDirect3DTexture9* t = nullptr;
        if (FAILED(device.device()->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr)))
            return;
        textures.push_back(t);
        D3DLOCKED_RECT lr; // written once, as a loader writes its texels
        if (SUCCEEDED(t->LockRect(0, &lr, nullptr, 0))) {
            memset(lr.pBits, 0x7F, size_t(lr.Pitch) * 64);
            t->UnlockRect(0);
        }
    });
    printf("%d kept textures: %lld private bytes\n", kLeakLoops, kept.privateBytes);
    for (IDirect3DTexture9* t : textures) t->Release();
    EXPECT_GT(kept.privateBytes, kPrivateByteMargin);
    EXPECT_EQ(0u, device.releaseDevice());
}
