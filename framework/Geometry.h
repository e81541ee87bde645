#pragma once
#include "framework/Types.h"
#include "platform/window.h"

// Window-system handles under the names the program's code uses.
using HWND = qv::HWND;
using HICON = qv::HICON;
using HMENU = qv::HMENU;
using HDROP = qv::HDROP;
using HDC = qv::HDC;

class CPoint : public qv::POINT {
public:
    CPoint() : qv::POINT{0, 0} {}
    CPoint(int nX, int nY) : qv::POINT{nX, nY} {}
    friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
};

class CRect : public qv::RECT {
public:
    CRect() : qv::RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : qv::RECT{l, t, r, b} {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CPoint TopLeft() const { return CPoint(left, top); }
};
