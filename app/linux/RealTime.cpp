#include "app/linux/RealTime.h"

#include <sys/resource.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariant>
#include <algorithm>

namespace qv::desktop {

namespace {

const char kService[] = "org.freedesktop.RealtimeKit1";
const char kPath[] = "/org/freedesktop/RealtimeKit1";
// The player's song waits for this; a service that does not answer must not hold it up.
constexpr int kTimeoutMs = 500;

QVariant Property(QDBusConnection& bus, const char* name) {
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    get << QString(kService) << QString(name);
    const QDBusMessage reply = bus.call(get, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
}

}  // namespace

bool AskDesktopForRealTime(long threadId, int priority) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return false;
    const QVariant highest = Property(bus, "MaxRealtimePriority");
    const QVariant cpuLimit = Property(bus, "RTTimeUSecMax");
    if (!highest.isValid() || !cpuLimit.isValid()) return false;
    priority = std::min(priority, highest.toInt());
    const long long limitUs = cpuLimit.toLongLong();
    if (priority < 1 || limitUs <= 0) return false;
    // The service grants real time only to a process that bounds the CPU time a real-time thread
    // may take without sleeping, so that a runaway thread cannot freeze the desktop. The player's
    // thread sleeps between events, far below the bound.
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
    const auto bound = static_cast<rlim_t>(limitUs);
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > bound) {
        limit.rlim_cur = limit.rlim_max = bound;
        if (::setrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
    }
    QDBusMessage make =
        QDBusMessage::createMethodCall(kService, kPath, kService, "MakeThreadRealtime");
    make << QVariant::fromValue(static_cast<quint64>(threadId))
         << QVariant::fromValue(static_cast<quint32>(priority));
    return bus.call(make, QDBus::Block, kTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace qv::desktop
