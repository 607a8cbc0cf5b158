#include "ui/Hyperlink.h"

#include "framework/ProcedureGuard.h"

#include <windowsx.h>

namespace {
WNDPROC OriginalProc(HWND window)
{
    return reinterpret_cast<WNDPROC>(::GetPropW(window, kHyperlinkOriginalProcProp));
}

// Installs `proc`, keeping the one it replaces in the window's property.
void Subclass(HWND window, WNDPROC proc)
{
    const LONG_PTR previous = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
    ::SetPropW(window, kHyperlinkOriginalProcProp, reinterpret_cast<HANDLE>(previous));
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

// Puts the replaced procedure back; returns it for the message at hand.
WNDPROC Unsubclass(HWND window)
{
    WNDPROC previous = OriginalProc(window);
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ::RemovePropW(window, kHyperlinkOriginalProcProp);
    return previous;
}

void SetLinkFont(HWND link, const wchar_t* fontProperty)
{
    ::SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(::GetPropW(link, fontProperty)), FALSE);
    ::InvalidateRect(link, nullptr, FALSE);
}

HFONT CreateUnderlinedFont(HFONT plain)
{
    // A static without a font of its own draws in the system font.
    HGDIOBJ source = plain ? static_cast<HGDIOBJ>(plain) : ::GetStockObject(SYSTEM_FONT);
    LOGFONTW description{};
    if (!::GetObjectW(source, sizeof(description), &description))
        return nullptr;
    description.lfUnderline = TRUE;
    return ::CreateFontIndirectW(&description);
}
}  // namespace

BOOL ConvertStaticToHyperlink(HWND staticControl)
{
    // Converting a link again would make it its own original procedure.
    if (::GetPropW(staticControl, kHyperlinkFromStaticProp))
        return TRUE;
    HWND parent = ::GetParent(staticControl);
    if (parent &&
        ::GetWindowLongPtrW(parent, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&HyperlinkParentProc))
        Subclass(parent, HyperlinkParentProc);

    ::SetWindowLongPtrW(staticControl, GWL_STYLE, ::GetWindowLongPtrW(staticControl, GWL_STYLE) | SS_NOTIFY);
    Subclass(staticControl, HyperlinkStaticProc);

    auto plain = reinterpret_cast<HFONT>(::SendMessageW(staticControl, WM_GETFONT, 0, 0));
    ::SetPropW(staticControl, kHyperlinkOriginalFontProp, plain);
    ::SetPropW(staticControl, kHyperlinkUnderlineFontProp, CreateUnderlinedFont(plain));
    ::SetPropW(staticControl, kHyperlinkFromStaticProp, reinterpret_cast<HANDLE>(1));
    return TRUE;
}

namespace {

LRESULT ParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = OriginalProc(window);
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        const LRESULT brush = ::CallWindowProcW(previous, window, message, wParam, lParam);
        if (::GetPropW(reinterpret_cast<HWND>(lParam), kHyperlinkFromStaticProp))
            ::SetTextColor(reinterpret_cast<HDC>(wParam), kHyperlinkColour);
        return brush;
    }
    case WM_DESTROY:
        previous = Unsubclass(window);
        break;
    default:
        break;
    }
    return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT StaticMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = OriginalProc(window);
    switch (message) {
    case WM_SETCURSOR: {
        HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
        ::SetCursor(hand ? hand : ::LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
    }
    case WM_MOUSEMOVE:
        if (::GetCapture() != window) {
            // The mouse came onto the link: underline it and follow the mouse
            // until it leaves.
            SetLinkFont(window, kHyperlinkUnderlineFontProp);
            ::SetCapture(window);
        } else {
            POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ClientToScreen(window, &cursor);
            RECT bounds;
            ::GetWindowRect(window, &bounds);
            if (!::PtInRect(&bounds, cursor)) {
                SetLinkFont(window, kHyperlinkOriginalFontProp);
                ::ReleaseCapture();
            }
        }
        break;
    case WM_DESTROY: {
        previous = Unsubclass(window);
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(::GetPropW(window, kHyperlinkOriginalFontProp)),
                       FALSE);
        ::RemovePropW(window, kHyperlinkOriginalFontProp);
        ::DeleteObject(::RemovePropW(window, kHyperlinkUnderlineFontProp));
        ::RemovePropW(window, kHyperlinkFromStaticProp);
        break;
    }
    default:
        break;
    }
    return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK HyperlinkParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardProcedure<LRESULT>(0, [&] { return ParentMessage(window, message, wParam, lParam); });
}

LRESULT CALLBACK HyperlinkStaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardProcedure<LRESULT>(0, [&] { return StaticMessage(window, message, wParam, lParam); });
}
