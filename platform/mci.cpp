#include "platform/mci.h"

#include <atomic>

namespace qv {
namespace {
// Installed by main() or a test fixture; read on the user-interface thread.
std::atomic<IMci*> g_mci{nullptr};
}  // namespace

IMci* InstallMci(IMci* backend) {
    return g_mci.exchange(backend);
}

MCIERROR mciSendCommandA(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                         std::uintptr_t parms) {
    IMci* backend = g_mci.load();
    if (!backend) return MCIERR_DEVICE_NOT_INSTALLED;
    return backend->SendCommand(deviceId, msg, flags, parms);
}

}  // namespace qv
