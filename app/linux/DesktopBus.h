#pragma once
// The player on the desktop's session bus: one player per user session, which a second start
// hands its files to, and the media-player interfaces through which media keys and desktop
// controls reach the transport buttons. Without a session bus none of it exists and the player
// runs on its own.
#include <memory>

namespace qv::qtui {
class QtWindowSystem;
}

namespace qv::desktop {

class DesktopBus {
public:
    // Connects to the session bus, if there is one, and claims the player's name on it unless
    // asked for an instance of its own. Needs the QApplication.
    explicit DesktopBus(bool bNewInstance);
    ~DesktopBus();
    DesktopBus(const DesktopBus&) = delete;
    DesktopBus& operator=(const DesktopBus&) = delete;

    // When another player holds the name: gives it the files (argv[1..], made absolute) to add,
    // or asks it only to come to the front. True when it answered in time, and this start has
    // nothing left to do.
    bool HandOver(int argc, char** argv);

    // Serves the media-player interfaces and the handed-over files for the player window shown by
    // this window system, which must outlive the serving.
    void Serve(qtui::QtWindowSystem& windows);

private:
    struct Impl;
    std::unique_ptr<Impl> m_p;
};

}  // namespace qv::desktop
