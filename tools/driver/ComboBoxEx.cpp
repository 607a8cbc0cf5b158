#include "ComboBoxEx.h"

#include "Controls.h"
#include "RemoteMemory.h"
#include "TopLevelWindows.h"
#include "Win32Error.h"

#include <commctrl.h>

namespace driver {
namespace {

constexpr std::size_t kMaxItemText = 1024;  // characters, terminator included

std::string Describe(int id, int index)
{
    return "item " + std::to_string(index) + " of combo box " + std::to_string(id);
}

}  // namespace

std::vector<ComboItem> ComboItems(HWND dialog, int id)
{
    HWND combo = Control(dialog, id);
    if (WindowClass(combo) != WC_COMBOBOXEXW)
        throw DriverError("control " + std::to_string(id) + " is no extended combo box but a " +
                          ToUtf8(WindowClass(combo)));
    const auto count = static_cast<int>(SendOrThrow(combo, CB_GETCOUNT, 0, 0));
    if (count <= 0)
        return {};

    // One block: the item record, then its text buffer.
    const std::size_t textOffset = sizeof(COMBOBOXEXITEMW);
    RemoteMemory remote(ProcessIdOf(combo), textOffset + kMaxItemText * sizeof(wchar_t));
    std::vector<ComboItem> items;
    items.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        COMBOBOXEXITEMW record{};
        record.mask = CBEIF_TEXT | CBEIF_LPARAM;
        record.iItem = index;
        record.pszText = static_cast<wchar_t*>(remote.Address(textOffset));
        record.cchTextMax = static_cast<int>(kMaxItemText);
        const wchar_t empty = L'\0';
        remote.Write(textOffset, &empty, sizeof empty);
        remote.Write(0, &record, sizeof record);
        if (!SendOrThrow(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address())))
            throw DriverError(Describe(id, index) + " cannot be read");

        remote.Read(0, &record, sizeof record);
        std::wstring text(kMaxItemText, L'\0');
        remote.Read(textOffset, text.data(), text.size() * sizeof(wchar_t));
        text.resize(text.find(L'\0'));
        items.push_back(ComboItem{std::move(text), record.lParam});
    }
    return items;
}

int ComboSelection(HWND dialog, int id)
{
    return static_cast<int>(SendOrThrow(Control(dialog, id), CB_GETCURSEL, 0, 0));
}

void Select(HWND dialog, int id, int index, Delivery delivery)
{
    HWND combo = Control(dialog, id);
    if (SendOrThrow(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
        throw DriverError(Describe(id, index) + " cannot be selected");
    const WPARAM command = MAKEWPARAM(id, CBN_SELCHANGE);
    const auto source = reinterpret_cast<LPARAM>(combo);
    if (delivery == Delivery::Send)
        SendOrThrow(dialog, WM_COMMAND, command, source);
    else if (!PostMessageW(dialog, WM_COMMAND, command, source))
        ThrowLastError("CBN_SELCHANGE to the dialog");
}

}  // namespace driver
