#pragma once
// Dispatch tables. A class that handles messages declares DECLARE_MESSAGE_MAP() in its body and
// lists its rows in its .cpp file:
//
//   BEGIN_MESSAGE_MAP(CPlayerDlg, CDialog)
//       ON_WM_SYSCOMMAND()
//       ON_BN_CLICKED(IDC_PLAY, &CPlayerDlg::OnPlay)
//       ON_LBN_SELCHANGE(IDC_PLAYLIST, &CPlayerDlg::OnSelChangeList)
//       ON_MESSAGE(MM_MCINOTIFY, &CPlayerDlg::OnMciNotify)
//   END_MESSAGE_MAP()
//
// Each row is checked at compile time against the handler shape of its message. A message is
// looked up in the class's table, then in its base's, and so on; nothing found means the window
// system's default processing.
#include <type_traits>

#include "framework/Geometry.h"
#include "framework/Types.h"

class CCmdTarget;

struct MessageMapEntry {
    UINT nMessage;
    UINT nCode;  // WM_COMMAND: notification code, otherwise 0
    UINT nID;    // WM_COMMAND: control or command id, otherwise 0
    LRESULT (*pfnInvoke)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* (*pfnGetBaseMap)();  // null at the root
    const MessageMapEntry* lpEntries;      // ends with a row whose pfnInvoke is null
};

namespace qv::fw {

template <class T>
struct Member;
template <class C, class F>
struct Member<F C::*> {
    using Class = C;
    using Signature = F;
};

// True when Fn is a member of Target (or of one of its bases) with exactly this signature.
// clang-format off
template <class Target, auto Fn, class Signature>
inline constexpr bool kIsHandler =
    std::is_member_function_pointer_v<decltype(Fn)> &&
    std::is_base_of_v<typename Member<decltype(Fn)>::Class, Target> &&
    std::is_same_v<typename Member<decltype(Fn)>::Signature, Signature>;
// clang-format on

// One thunk per handler shape: unpacks wParam and lParam the way the message defines them.
template <class T>
struct Thunks {
    template <auto Fn>
    static LRESULT Void(CCmdTarget& t, WPARAM, LPARAM) {
        static_assert(kIsHandler<T, Fn, void()>, "handler must be void OnX()");
        (static_cast<T&>(t).*Fn)();
        return 0;
    }
    template <auto Fn>
    static LRESULT SysCommand(CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
        static_assert(kIsHandler<T, Fn, void(UINT, LPARAM)>,
                      "handler must be void OnSysCommand(UINT nID, LPARAM lParam)");
        (static_cast<T&>(t).*Fn)(static_cast<UINT>(wParam), lParam);
        return 0;
    }
    template <auto Fn>
    static LRESULT Size(CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
        static_assert(kIsHandler<T, Fn, void(UINT, int, int)>,
                      "handler must be void OnSize(UINT nType, int cx, int cy)");
        auto packed = static_cast<std::uintptr_t>(lParam);
        (static_cast<T&>(t).*Fn)(static_cast<UINT>(wParam), qv::LoWord(packed), qv::HiWord(packed));
        return 0;
    }
    template <auto Fn>
    static LRESULT DropFiles(CCmdTarget& t, WPARAM wParam, LPARAM) {
        static_assert(kIsHandler<T, Fn, void(HDROP)>, "handler must be void OnDropFiles(HDROP)");
        (static_cast<T&>(t).*Fn)(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    template <auto Fn>
    static LRESULT Timer(CCmdTarget& t, WPARAM wParam, LPARAM) {
        static_assert(kIsHandler<T, Fn, void(UINT_PTR)>,
                      "handler must be void OnTimer(UINT_PTR nIDEvent)");
        (static_cast<T&>(t).*Fn)(static_cast<UINT_PTR>(wParam));
        return 0;
    }
    template <auto Fn>
    static LRESULT NcRButtonDown(CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
        static_assert(kIsHandler<T, Fn, void(UINT, CPoint)>,
                      "handler must be void OnNcRButtonDown(UINT nHitTest, CPoint point)");
        // Screen coordinates are signed 16-bit values (a second monitor may lie left of 0).
        auto packed = static_cast<std::uintptr_t>(lParam);
        CPoint point(static_cast<std::int16_t>(qv::LoWord(packed)),
                     static_cast<std::int16_t>(qv::HiWord(packed)));
        (static_cast<T&>(t).*Fn)(static_cast<UINT>(wParam), point);
        return 0;
    }
    template <auto Fn>
    static LRESULT QueryDragIcon(CCmdTarget& t, WPARAM, LPARAM) {
        static_assert(kIsHandler<T, Fn, HICON()>, "handler must be HICON OnQueryDragIcon()");
        return reinterpret_cast<LRESULT>((static_cast<T&>(t).*Fn)());
    }
    template <auto Fn>
    static LRESULT Message(CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
        static_assert(kIsHandler<T, Fn, LRESULT(WPARAM, LPARAM)>,
                      "handler must be LRESULT OnX(WPARAM, LPARAM)");
        return (static_cast<T&>(t).*Fn)(wParam, lParam);
    }
};

}  // namespace qv::fw

// clang-format off
#define DECLARE_MESSAGE_MAP()                      \
protected:                                         \
    static const MessageMap* GetThisMessageMap();  \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                              \
        using ThisClass [[maybe_unused]] = theClass;                               \
        using TheBaseClass = baseClass;                                            \
        static constexpr MessageMapEntry kEntries[] = {
#define END_MESSAGE_MAP()                                                              \
    {0, 0, 0, nullptr}};                                                               \
    static constexpr MessageMap kMap = {&TheBaseClass::GetThisMessageMap, kEntries};   \
    return &kMap;                                                                      \
    }

#define QV_THUNK(shape, fn) &::qv::fw::Thunks<ThisClass>::shape<fn>

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), QV_THUNK(Void, memberFxn)},
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), QV_THUNK(Void, memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_MESSAGE(message, memberFxn) \
    {static_cast<UINT>(message), 0, 0, QV_THUNK(Message, memberFxn)},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, QV_THUNK(SysCommand, &ThisClass::OnSysCommand)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, QV_THUNK(Void, &ThisClass::OnPaint)},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, QV_THUNK(QueryDragIcon, &ThisClass::OnQueryDragIcon)},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, QV_THUNK(Size, &ThisClass::OnSize)},
#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, QV_THUNK(DropFiles, &ThisClass::OnDropFiles)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, QV_THUNK(Timer, &ThisClass::OnTimer)},
#define ON_WM_NCRBUTTONDOWN() \
    {WM_NCRBUTTONDOWN, 0, 0, QV_THUNK(NcRButtonDown, &ThisClass::OnNcRButtonDown)},
// clang-format on
