#pragma once
// What a media controller sees of the player: the state of the transport buttons and the entry
// the player shows as current, read from the player window. The controller's answers follow the
// buttons, so whatever rule enables a button also decides what the controller may do.
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <string>

#include "platform/types.h"

class CPlayerDlg;

namespace qv::desktop {

struct PlayerView {
    bool bTakesInput = false;  // the window exists and no modal box hides it from the user
    bool bPlayEnabled = false;
    bool bStopEnabled = false;
    bool bPrevEnabled = false;
    bool bNextEnabled = false;
    bool bPlaying = false;  // playing or paused
    bool bPaused = false;
    int nEntry = -1;             // the current entry, -1 for none
    std::string strTitle;        // the entry's line as the list shows it
    std::string strPath;         // the entry's full path
    std::int64_t nLengthUs = 0;  // 0 while nothing is loaded

    bool operator==(const PlayerView&) const = default;
};

// The player window's view; an empty view when there is no window (yet, or any more).
PlayerView ReadPlayerView(const CPlayerDlg* pDlg);
// Where the current piece is, in microseconds; 0 when stopped.
std::int64_t ReadPositionUs(const CPlayerDlg* pDlg);

// The player's properties as a media controller names them.
QString PlaybackStatus(const PlayerView& view);
QVariantMap Metadata(const PlayerView& view);
bool CanPlay(const PlayerView& view);
bool CanPause(const PlayerView& view);
bool CanGoNext(const PlayerView& view);
bool CanGoPrevious(const PlayerView& view);

// The button a controller's method stands for, or 0 when the method must do nothing now (its
// button is disabled, or it would do the opposite of what was asked).
enum class Method { PlayPause, Play, Pause, Stop, Next, Previous };
int ButtonFor(Method method, const PlayerView& view);

}  // namespace qv::desktop
