#include "framework/CmdTarget.h"

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static constexpr MessageMapEntry kEntries[] = {{0, 0, 0, nullptr}};
    static constexpr MessageMap kMap = {nullptr, kEntries};
    return &kMap;
}

const MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const MessageMapEntry* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
    for (const MessageMap* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const MessageMapEntry* e = map->lpEntries; e->pfnInvoke; ++e) {
            if (e->nMessage == nMessage && e->nCode == nCode && e->nID == nID) return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode) {
    const MessageMapEntry* e = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (!e) return FALSE;
    e->pfnInvoke(*this, qv::MakeWParam(nID, static_cast<UINT>(nCode)), 0);
    return TRUE;
}
