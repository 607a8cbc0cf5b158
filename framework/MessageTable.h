// A dialog's message table: one line per message or command, naming the
// handler, read top to bottom like a map.
//
//   const MessageEntry<CMyDlg> CMyDlg::kMessages[] = {
//       OnMessage(WM_PAINT, &CMyDlg::OnPaint),               // void ()
//       OnMessage(WM_TIMER, &CMyDlg::OnTimer),               // LRESULT (WPARAM, LPARAM)
//       OnCommand(1016, &CMyDlg::OnConnect),                  // button click or menu item
//       OnNotify(1003, EN_CHANGE, &CMyDlg::OnChangeUsername), // control notification
//       OnCommandRange(32501, 32510, &CMyDlg::OnLocation),    // void (UINT id)
//   };
#pragma once

#include <windows.h>

#include <span>

template <class T>
struct MessageEntry {
    enum class Kind { Message, PlainMessage, Command, CommandRange };
    using MessageHandler = LRESULT (T::*)(WPARAM, LPARAM);
    using PlainHandler = void (T::*)();
    using CommandHandler = void (T::*)();
    using RangeHandler = void (T::*)(UINT);

    Kind kind;
    UINT message;          // Kind::Message
    UINT firstId, lastId;  // commands
    UINT code;             // notification code of Kind::Command
    MessageHandler onMessage = nullptr;
    CommandHandler onCommand = nullptr;  // also the handler of Kind::PlainMessage
    RangeHandler onRange = nullptr;
};

template <class T>
constexpr MessageEntry<T> OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM))
{
    return {MessageEntry<T>::Kind::Message, message, 0, 0, 0, handler, nullptr, nullptr};
}

// A message whose handler needs neither parameter nor result.
template <class T>
constexpr MessageEntry<T> OnMessage(UINT message, void (T::*handler)())
{
    return {MessageEntry<T>::Kind::PlainMessage, message, 0, 0, 0, nullptr, handler, nullptr};
}

// WM_COMMAND with notification code 0: a button click (BN_CLICKED), a static's
// click (STN_CLICKED) or a menu command.
template <class T>
constexpr MessageEntry<T> OnCommand(UINT id, void (T::*handler)())
{
    return {MessageEntry<T>::Kind::Command, WM_COMMAND, id, id, 0, nullptr, handler, nullptr};
}

template <class T>
constexpr MessageEntry<T> OnNotify(UINT id, UINT code, void (T::*handler)())
{
    return {MessageEntry<T>::Kind::Command, WM_COMMAND, id, id, code, nullptr, handler, nullptr};
}

template <class T>
constexpr MessageEntry<T> OnCommandRange(UINT firstId, UINT lastId, void (T::*handler)(UINT))
{
    return {MessageEntry<T>::Kind::CommandRange, WM_COMMAND, firstId, lastId, 0, nullptr, nullptr, handler};
}

// Finds the first entry for the message and calls its handler. Returns false
// when the table has no entry for it.
template <class T>
bool DispatchMessageTable(T& target, std::span<const MessageEntry<T>> table, UINT message, WPARAM wParam,
                          LPARAM lParam, LRESULT& result)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    for (const MessageEntry<T>& entry : table) {
        switch (entry.kind) {
        case MessageEntry<T>::Kind::Message:
            if (entry.message == message) {
                result = (target.*entry.onMessage)(wParam, lParam);
                return true;
            }
            break;
        case MessageEntry<T>::Kind::PlainMessage:
            if (entry.message == message) {
                (target.*entry.onCommand)();
                result = 0;
                return true;
            }
            break;
        case MessageEntry<T>::Kind::Command:
            if (message == WM_COMMAND && id == entry.firstId && code == entry.code) {
                (target.*entry.onCommand)();
                result = 0;
                return true;
            }
            break;
        case MessageEntry<T>::Kind::CommandRange:
            // Menu commands only (code 0): accelerators and control
            // notifications of other codes do not land in a range.
            if (message == WM_COMMAND && code == 0 && id >= entry.firstId && id <= entry.lastId) {
                (target.*entry.onRange)(id);
                result = 0;
                return true;
            }
            break;
        }
    }
    return false;
}
