#include "app/linux/PlayerView.h"

#include <QByteArray>
#include <QDBusObjectPath>
#include <vector>

#include "app/PlayerDlg.h"
#include "platform/mci.h"
#include "platform/qt/QtText.h"
#include "platform/window.h"
#include "res/resource.h"

namespace qv::desktop {

namespace {

bool Enabled(HWND hDlg, int id) {
    HWND hCtl = GetDlgItem(hDlg, id);
    return hCtl && IsWindowEnabled(hCtl);
}

// The list line as the window holds it; a line too long to be real is left out.
std::string ListLine(HWND hDlg, int nIndex) {
    HWND hList = GetDlgItem(hDlg, IDC_PLAYLIST);
    const std::intptr_t nLength = hList ? SendMessageA(hList, LB_GETTEXTLEN, nIndex, 0) : LB_ERR;
    if (nLength <= 0 || nLength > 1 << 20) return {};
    std::vector<char> buffer(static_cast<std::size_t>(nLength) + 1, '\0');
    SendMessageA(hList, LB_GETTEXT, nIndex, reinterpret_cast<std::intptr_t>(buffer.data()));
    return std::string(buffer.data());
}

std::int64_t DeviceStatus(const CPlayerDlg* pDlg, DWORD dwItem) {
    if (!pDlg || !pDlg->m_bPlaying) return 0;
    DWORD dwMs = 0;
    // Status does not change the device; it is not const only because the MCI call is not.
    if (const_cast<CMidiDevice&>(pDlg->m_device).Status(dwMs, dwItem, 0, nullptr, 0) != 0) return 0;
    return std::int64_t(dwMs) * 1000;
}

}  // namespace

PlayerView ReadPlayerView(const CPlayerDlg* pDlg) {
    PlayerView view;
    HWND hDlg = pDlg ? pDlg->GetSafeHwnd() : nullptr;
    if (!hDlg) return view;
    view.bTakesInput = IsWindowEnabled(hDlg) != 0;
    view.bPlayEnabled = Enabled(hDlg, IDC_PLAY);
    view.bStopEnabled = Enabled(hDlg, IDC_STOP);
    view.bPrevEnabled = Enabled(hDlg, IDC_PREV);
    view.bNextEnabled = Enabled(hDlg, IDC_NEXT);
    view.bPlaying = pDlg->m_bPlaying != 0;
    view.bPaused = view.bPlaying && pDlg->m_bPaused != 0;
    const int nEntry = pDlg->m_nCurrent;
    if (nEntry >= 0 && nEntry < pDlg->m_list.GetSize()) {
        view.nEntry = nEntry;
        view.strTitle = ListLine(hDlg, nEntry);
        view.strPath = std::string(pDlg->m_list.GetText(nEntry, CPlayList::DISPLAY_FULLPATH));
        view.nLengthUs = DeviceStatus(pDlg, MCI_STATUS_LENGTH);
    }
    return view;
}

std::int64_t ReadPositionUs(const CPlayerDlg* pDlg) {
    return DeviceStatus(pDlg, MCI_STATUS_POSITION);
}

QString PlaybackStatus(const PlayerView& view) {
    if (!view.bPlaying) return QStringLiteral("Stopped");
    return view.bPaused ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QVariantMap Metadata(const PlayerView& view) {
    QVariantMap metadata;
    if (view.nEntry < 0) {
        metadata[QStringLiteral("mpris:trackid")] =
            QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
        return metadata;
    }
    metadata[QStringLiteral("mpris:trackid")] = QVariant::fromValue(
        QDBusObjectPath(QStringLiteral("/org/quavel/Quavel/Entry/%1").arg(view.nEntry)));
    metadata[QStringLiteral("xesam:title")] = qtui::ToDisplay(view.strTitle);
    // The path's own bytes, escaped, so that a name in another code page still names the file.
    const QByteArray path = QByteArray::fromStdString(view.strPath);
    metadata[QStringLiteral("xesam:url")] =
        QString::fromLatin1("file://" + path.toPercentEncoding("/"));
    if (view.nLengthUs > 0) metadata[QStringLiteral("mpris:length")] = qlonglong(view.nLengthUs);
    return metadata;
}

bool CanPlay(const PlayerView& view) {
    return view.bTakesInput && view.bPlayEnabled;
}

bool CanPause(const PlayerView& view) {
    return view.bTakesInput && view.bPlayEnabled && view.bPlaying;
}

bool CanGoNext(const PlayerView& view) {
    return view.bTakesInput && view.bNextEnabled;
}

bool CanGoPrevious(const PlayerView& view) {
    return view.bTakesInput && view.bPrevEnabled;
}

int ButtonFor(Method method, const PlayerView& view) {
    if (!view.bTakesInput) return 0;
    const bool bRunning = view.bPlaying && !view.bPaused;
    switch (method) {
        case Method::PlayPause:
            return view.bPlayEnabled ? IDC_PLAY : 0;
        case Method::Play:
            return view.bPlayEnabled && !bRunning ? IDC_PLAY : 0;
        case Method::Pause:
            return view.bPlayEnabled && bRunning ? IDC_PLAY : 0;
        case Method::Stop:
            return view.bStopEnabled ? IDC_STOP : 0;
        case Method::Next:
            return view.bNextEnabled ? IDC_NEXT : 0;
        case Method::Previous:
            return view.bPrevEnabled ? IDC_PREV : 0;
    }
    return 0;
}

}  // namespace qv::desktop
