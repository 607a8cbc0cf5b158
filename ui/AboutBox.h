// The About box: a picture with the product name, version and the maker's
// notice written over it; closes on a click, a key, "Close Window" or Escape.
#pragma once

#include "framework/Dialog.h"

#include <string>

class CAboutBoxDlg : public CDialogWithTable<CAboutBoxDlg> {
public:
    CAboutBoxDlg();
    // Out of line, like the constructor: the message table's size is known only there.
    ~CAboutBoxDlg() override;

    static const MessageEntry<CAboutBoxDlg> kMessages[];

    BOOL OnInitDialog() override;
    LRESULT OnCloseInput(WPARAM, LPARAM);
    // Moved to a monitor of another DPI: the window takes the rectangle the
    // system suggests, and the picture its size at the new DPI.
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

    // The text drawn over the picture.
    static std::wstring AboutText();

    // The picture scaled from 96 DPI to `dpi`, from the top left of the DC,
    // with the text in white over it from (50, 50) scaled the same way.
    static void PaintPicture(HDC dc, HBITMAP picture, const std::wstring& text, UINT dpi);

    CStatic m_picture;

protected:
    void DoDataExchange() override;

private:
    // Paints the picture and then the text, so the text stays on top and is
    // drawn once per paint.
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data);
    static LRESULT PictureMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
    // The bitmap that the picture static holds.
    HBITMAP Picture() const;
    // The picture control's size: the bitmap's pixels scaled from 96 DPI to the box's.
    void SizePicture();

    std::wstring m_strAboutText;
    // The DPI of the monitor the box is on, from its creation or its last move.
    UINT m_dpi = 96;
};
