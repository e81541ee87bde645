#pragma once
#include "framework/MessageMap.h"
#include "framework/Object.h"

// Anything with a dispatch table: windows and the application object.
class CCmdTarget : public CObject {
public:
    // Runs the handler of a command (WM_COMMAND with this id and notification code) if this
    // object's table, or a base's, has one.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    // The row for a message (and for WM_COMMAND its code and id), searching the class's table
    // first, then its bases'; null when there is none.
    const MessageMapEntry* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;
};
