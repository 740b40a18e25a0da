#include "PartsFixture.h"

namespace partstest {

testsupport::TestDevice* SharedDevice::dev_ = nullptr;
IDirect3DStateBlock9* SharedDevice::state_ = nullptr;

testsupport::TestDevice* SharedDevice::get()
{
    if (!dev_) {
        dev_ = new testsupport::TestDevice(320, 240);
        if (!dev_->ok() || FAILED(dev_->device()->CreateStateBlock(D3DSBT_ALL, &state_))) {
            release();
            return nullptr;
        }
    }
    return dev_;
}

void SharedDevice::release()
{
    if (state_) state_->Release();
    state_ = nullptr;
    delete dev_;
    dev_ = nullptr;
}

namespace {
class SharedDeviceEnvironment : public ::testing::Environment {
public:
    void TearDown() override { SharedDevice::release(); }
};
::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new SharedDeviceEnvironment);
} // namespace

} // namespace partstest
