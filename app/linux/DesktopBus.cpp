#include "app/linux/DesktopBus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/PlayerDlg.h"
#include "app/QvApp.h"
#include "app/linux/PlayerView.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/window.h"

namespace qv::desktop {

namespace {

// The one player of a session answers here for a second start.
const QString kOwnName = QStringLiteral("org.quavel.Quavel");
const QString kOwnPath = QStringLiteral("/org/quavel/Quavel");
const QString kOwnInterface = QStringLiteral("org.quavel.Quavel");
const QString kMprisName = QStringLiteral("org.mpris.MediaPlayer2.quavel");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Long enough for a player that is busy loading, short enough that a hung one does not keep the
// user waiting for a window.
constexpr int kHandOverTimeoutMs = 2000;
// How often the window is looked at for changes a controller should hear of.
constexpr int kWatchMs = 200;

// The session bus's address, without ever starting a bus: the environment's, else the user's bus
// socket. Empty when there is none.
QString SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return QString::fromLocal8Bit(address);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    if (::stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return {};
    return QStringLiteral("unix:path=") + QString::fromLocal8Bit(socket.c_str());
}

const CPlayerDlg* PlayerWindow() {
    return dynamic_cast<const CPlayerDlg*>(theApp.m_pMainWnd);
}

HWND PlayerHandle() {
    const CPlayerDlg* pDlg = PlayerWindow();
    return pDlg ? pDlg->GetSafeHwnd() : nullptr;
}

// A click on a button, as the button itself sends it.
void Click(int nButton) {
    HWND hDlg = PlayerHandle();
    if (!hDlg || !nButton) return;
    PostWindowMessage(hDlg, WM_COMMAND, MakeWParam(nButton, BN_CLICKED),
                      reinterpret_cast<std::intptr_t>(GetDlgItem(hDlg, nButton)));
}

QVariantMap RootProperties() {
    return {{QStringLiteral("CanQuit"), true},
            {QStringLiteral("CanRaise"), true},
            {QStringLiteral("HasTrackList"), false},
            {QStringLiteral("Identity"), QStringLiteral("Quavel")},
            {QStringLiteral("DesktopEntry"), QStringLiteral("quavel")},
            {QStringLiteral("SupportedUriSchemes"), QStringList{QStringLiteral("file")}},
            {QStringLiteral("SupportedMimeTypes"),
             QStringList{QStringLiteral("audio/midi"), QStringLiteral("audio/x-midi")}}};
}

// The player's properties that change with it; Position is asked for, never announced.
QVariantMap ChangingProperties(const PlayerView& view) {
    return {{QStringLiteral("PlaybackStatus"), PlaybackStatus(view)},
            {QStringLiteral("Metadata"), Metadata(view)},
            {QStringLiteral("CanGoNext"), CanGoNext(view)},
            {QStringLiteral("CanGoPrevious"), CanGoPrevious(view)},
            {QStringLiteral("CanPlay"), CanPlay(view)},
            {QStringLiteral("CanPause"), CanPause(view)}};
}

QVariantMap PlayerProperties(const PlayerView& view) {
    QVariantMap properties = ChangingProperties(view);
    properties.insert(QStringLiteral("Position"), qlonglong(ReadPositionUs(PlayerWindow())));
    for (const char* name : {"Rate", "MinimumRate", "MaximumRate", "Volume"})
        properties.insert(QString::fromLatin1(name), 1.0);
    properties.insert(QStringLiteral("CanSeek"), false);
    properties.insert(QStringLiteral("CanControl"), true);
    return properties;
}

const char* const kIntrospection = R"(
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
    <method name="SetPosition">
      <arg name="TrackId" type="o" direction="in"/><arg name="Position" type="x" direction="in"/>
    </method>
    <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="read"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="read"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
)";

const char* const kOwnIntrospection = R"(
  <interface name="org.quavel.Quavel">
    <method name="Open"><arg name="Paths" type="aay" direction="in"/></method>
  </interface>
)";

}  // namespace

// Both objects take their calls as raw messages, so that each is answered from the window's
// state at the moment it arrives.
class BusObject : public QDBusVirtualObject {
public:
    using Handler = std::function<bool(const QDBusMessage&, const QDBusConnection&)>;
    BusObject(const char* introspection, Handler handler)
        : m_introspection(QString::fromLatin1(introspection)), m_handler(std::move(handler)) {}
    QString introspect(const QString&) const override { return m_introspection; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        return m_handler(message, connection);
    }

private:
    QString m_introspection;
    Handler m_handler;
};

struct DesktopBus::Impl {
    QDBusConnection bus{QString()};
    bool bOwnsName = false;
    bool bNewInstance = false;
    qtui::QtWindowSystem* pWindows = nullptr;
    std::unique_ptr<BusObject> mpris;
    std::unique_ptr<BusObject> own;
    QTimer watch;
    PlayerView shown;  // what controllers were last told
    std::vector<std::string> aPendingPaths;
    bool bPendingRaise = false;

    bool OnMpris(const QDBusMessage& message, const QDBusConnection& connection);
    bool OnOwn(const QDBusMessage& message, const QDBusConnection& connection);
    void OnProperties(const QDBusMessage& message, const QDBusConnection& connection);
    void Watch();
    void Raise();
};

DesktopBus::DesktopBus(bool bNewInstance) : m_p(std::make_unique<Impl>()) {
    const QString address = SessionBusAddress();
    if (address.isEmpty()) return;
    qDBusRegisterMetaType<QByteArrayList>();
    m_p->bus = QDBusConnection::connectToBus(address, QStringLiteral("quavel-session"));
    if (!m_p->bus.isConnected()) return;
    Impl* p = m_p.get();
    p->bNewInstance = bNewInstance;
    // Ready before the name is claimed, so that a start that finds the name finds the object;
    // files handed over before the window exists wait for it.
    p->own = std::make_unique<BusObject>(
        kOwnIntrospection,
        [p](const QDBusMessage& m, const QDBusConnection& c) { return p->OnOwn(m, c); });
    p->bus.registerVirtualObject(kOwnPath, p->own.get());
    // A new instance still takes the name when no other player has it, so later starts find it.
    p->bOwnsName = p->bus.registerService(kOwnName);
}

DesktopBus::~DesktopBus() {
    if (!m_p->bus.isConnected()) return;
    m_p->watch.stop();
    m_p->bus.unregisterObject(kMprisPath);
    m_p->bus.unregisterObject(kOwnPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("quavel-session"));
}

bool DesktopBus::HandOver(int argc, char** argv) {
    if (!m_p->bus.isConnected() || m_p->bOwnsName || m_p->bNewInstance) return false;
    // Paths go as bytes: a file name need not be valid UTF-8, and a bus string must be.
    QByteArrayList paths;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i]) continue;
        std::error_code error;
        std::filesystem::path path = std::filesystem::absolute(argv[i], error);
        // A path that cannot be made absolute is sent as it is rather than lost.
        paths << QByteArray::fromStdString(error ? std::string(argv[i])
                                                 : path.lexically_normal().string());
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kOwnName, kOwnPath, kOwnInterface, QStringLiteral("Open"));
    call << QVariant::fromValue(paths);
    const QDBusMessage reply = m_p->bus.call(call, QDBus::Block, kHandOverTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void DesktopBus::Serve(qtui::QtWindowSystem& windows) {
    if (!m_p->bus.isConnected()) return;
    Impl* p = m_p.get();
    p->pWindows = &windows;
    p->mpris = std::make_unique<BusObject>(
        kIntrospection,
        [p](const QDBusMessage& m, const QDBusConnection& c) { return p->OnMpris(m, c); });
    p->bus.registerVirtualObject(kMprisPath, p->mpris.get());
    // A second player is a second instance to media controllers, named as they expect.
    if (!p->bus.registerService(kMprisName))
        p->bus.registerService(kMprisName + QStringLiteral(".instance") +
                               QString::number(::getpid()));
    QObject::connect(&p->watch, &QTimer::timeout, [p] { p->Watch(); });
    p->watch.start(kWatchMs);
}

bool DesktopBus::Impl::OnMpris(const QDBusMessage& message, const QDBusConnection& connection) {
    const QString iface = message.interface();
    const QString member = message.member();
    if (iface == kProperties) {
        OnProperties(message, connection);
        return true;
    }
    const PlayerView view = ReadPlayerView(PlayerWindow());
    static const std::pair<const char*, Method> kButtons[] = {
        {"PlayPause", Method::PlayPause}, {"Play", Method::Play}, {"Pause", Method::Pause},
        {"Stop", Method::Stop},           {"Next", Method::Next}, {"Previous", Method::Previous}};
    bool bKnown = false;
    if (iface.isEmpty() || iface == kPlayerInterface) {
        for (const auto& [name, method] : kButtons) {
            if (member == QLatin1String(name)) {
                Click(ButtonFor(method, view));
                bKnown = true;
            }
        }
        // Nothing here seeks or opens a URI: CanSeek is false and files come by the window.
        if (member == QLatin1String("Seek") || member == QLatin1String("SetPosition") ||
            member == QLatin1String("OpenUri"))
            bKnown = true;
    }
    if (iface.isEmpty() || iface == kRootInterface) {
        if (member == QLatin1String("Raise")) {
            Raise();
            bKnown = true;
        } else if (member == QLatin1String("Quit")) {
            // The close box's way, so the quit question and the saving of settings happen.
            HWND hDlg = PlayerHandle();
            if (hDlg && view.bTakesInput) PostWindowMessage(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
            bKnown = true;
        }
    }
    if (!bKnown) return false;
    connection.send(message.createReply());
    return true;
}

void DesktopBus::Impl::OnProperties(const QDBusMessage& message,
                                    const QDBusConnection& connection) {
    const QList<QVariant> args = message.arguments();
    const QString iface = args.value(0).toString();
    QVariantMap properties;
    if (iface == kRootInterface) {
        properties = RootProperties();
    } else if (iface == kPlayerInterface) {
        properties = PlayerProperties(ReadPlayerView(PlayerWindow()));
    }
    const QString member = message.member();
    if (member == QLatin1String("GetAll")) {
        connection.send(message.createReply(QVariant(properties)));
    } else if (member == QLatin1String("Get") && properties.contains(args.value(1).toString())) {
        const QVariant value = properties.value(args.value(1).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
    } else if (member == QLatin1String("Set")) {
        connection.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
            QStringLiteral("Quavel's properties follow its window and cannot be set")));
    } else {
        connection.send(
            message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                     QStringLiteral("No such property")));
    }
}

bool DesktopBus::Impl::OnOwn(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.member() != QLatin1String("Open")) return false;
    for (const QByteArray& path : qdbus_cast<QByteArrayList>(message.arguments().value(0)))
        if (!path.isEmpty()) aPendingPaths.push_back(path.toStdString());
    bPendingRaise = true;
    connection.send(message.createReply());
    Watch();
    return true;
}

// Hands over what waits for the window and tells controllers what changed since last time.
void DesktopBus::Impl::Watch() {
    const CPlayerDlg* pDlg = PlayerWindow();
    const PlayerView view = ReadPlayerView(pDlg);
    // Files wait while a box is open, as a drop would not reach the window then.
    if (pWindows && view.bTakesInput && !aPendingPaths.empty()) {
        pWindows->DropPaths(pDlg->GetSafeHwnd(), std::move(aPendingPaths));
        aPendingPaths.clear();
    }
    if (bPendingRaise && pDlg && pDlg->GetSafeHwnd()) {
        Raise();
        bPendingRaise = false;
    }
    if (view == shown) return;
    const QVariantMap before = ChangingProperties(shown);
    const QVariantMap after = ChangingProperties(view);
    shown = view;
    QVariantMap changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    if (changed.isEmpty()) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kMprisPath, kProperties, QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus.send(signal);
}

void DesktopBus::Impl::Raise() {
    HWND hDlg = PlayerHandle();
    if (!hDlg) {
        bPendingRaise = true;
        return;
    }
    if (IsIconic(hDlg)) PostWindowMessage(hDlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    if (QWidget* widget = pWindows ? pWindows->WidgetOf(hDlg) : nullptr) {
        widget->raise();
        widget->activateWindow();
    }
}

}  // namespace qv::desktop
