#pragma once
#include "framework/Controls.h"

// The play list's list box (control 1001). It adds nothing to the plain list box: a double click is
// the list box's own business, and the player reacts only to the selection change it causes.
class CPlayListBox : public CListBox {};
