// Watches a running player from outside, through its window alone: it finds the player dialog and
// reads its controls as any other program could (WM_GETTEXT, LB_GETCURSEL), until the song has
// played to its end. Used by tools/windows-e2e.sh.
//   qv_player_watch LENGTH SECONDS     e.g. qv_player_watch 00:02 60
// Prints each state it sees as "position/length caption selection"; answers 0 once the read-out
// has shown LENGTH of LENGTH and the player has then stopped (read-out 00:00 of 00:00) or moved
// to the next entry, 1 when SECONDS pass first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"

namespace {

std::string Text(HWND dialog, int id) {
    char text[256] = "";
    DWORD_PTR copied = 0;
    // A hung player must not hang the watcher too.
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &copied))
        return "?";
    return std::string(text, copied);
}

// The player: a dialog with the read-out and the play list among its controls.
BOOL CALLBACK FindPlayer(HWND window, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !GetDlgItem(window, IDC_POSITION) ||
        !GetDlgItem(window, IDC_PLAYLIST))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qv_player_watch LENGTH SECONDS\n");
        return 2;
    }
    const std::string length = argv[1];
    const DWORD deadline = GetTickCount() + 1000u * static_cast<DWORD>(std::atoi(argv[2]));
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line as it happens, for the script's log
    std::printf("waiting for the player\n");

    HWND player = nullptr;
    std::string last;
    bool reachedEnd = false;
    LRESULT endSelection = LB_ERR;
    while (GetTickCount() < deadline) {
        Sleep(20);
        if (!player) {
            EnumWindows(FindPlayer, reinterpret_cast<LPARAM>(&player));
            continue;
        }
        if (!IsWindow(player)) break;
        const std::string position = Text(player, IDC_POSITION), shown = Text(player, IDC_LENGTH);
        const std::string caption = Text(player, IDC_PLAY);
        const LRESULT selection = SendDlgItemMessageA(player, IDC_PLAYLIST, LB_GETCURSEL, 0, 0);
        const std::string state =
            position + "/" + shown + " " + caption + " " + std::to_string(selection);
        if (state != last) {
            std::printf("%s\n", state.c_str());
            last = state;
        }
        // STOP is enabled exactly while an entry plays or pauses.
        const bool bPlaying = IsWindowEnabled(GetDlgItem(player, IDC_STOP));
        if (position == length && shown == length && bPlaying) {
            reachedEnd = true;
            endSelection = selection;
        } else if (reachedEnd && (selection != endSelection ||
                                  (!bPlaying && position == "00:00" && shown == "00:00"))) {
            std::printf("played to its end\n");
            return 0;
        }
    }
    std::printf(player ? "the song did not play to its end\n" : "no player window\n");
    return 1;
}
