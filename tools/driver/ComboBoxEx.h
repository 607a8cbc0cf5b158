// Extended combo boxes (ComboBoxEx32) of another process: their items with
// item data, the selection, and choosing an item as the user would.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace driver {

struct ComboItem {
    std::wstring text;
    std::intptr_t data = 0;  // the item data (lParam)

    bool operator==(const ComboItem&) const = default;
};

// Every item in list order, read with CBEM_GETITEMW through a block of memory
// in the combo box's process. Throws DriverError for a control that is not an
// extended combo box.
std::vector<ComboItem> ComboItems(HWND dialog, int id);

// The selected index, -1 when nothing is selected.
int ComboSelection(HWND dialog, int id);

enum class Delivery {
    Send,  // returns after the dialog has handled the change
    Post,  // returns at once: for a change whose handler opens a modal box
};

// Selects item `index` (CB_SETCURSEL) and tells the dialog with
// WM_COMMAND(CBN_SELCHANGE), as a choice in the drop-down list does.
void Select(HWND dialog, int id, int index, Delivery delivery = Delivery::Send);

}  // namespace driver
