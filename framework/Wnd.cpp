#include "framework/Wnd.h"

#include "framework/Strings.h"

std::wstring CWnd::GetWindowText() const
{
    return GetWindowTextString(m_hWnd);
}

CImageList::~CImageList()
{
    if (m_list)
        ImageList_Destroy(m_list);
}

bool CImageList::Create(UINT bitmapId, int imageWidth, int grow, COLORREF mask)
{
    if (m_list)
        ImageList_Destroy(m_list);
    // As a DIB section the strip keeps its colours whatever the screen depth.
    m_list = ImageList_LoadImageW(ResourceModule(), MAKEINTRESOURCEW(bitmapId), imageWidth, grow, mask,
                                  IMAGE_BITMAP, LR_CREATEDIBSECTION);
    return m_list != nullptr;
}

int CComboBoxEx::AppendItem(const std::wstring& text, int image, int selectedImage, LPARAM data) const
{
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    item.iItem = GetCount();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = selectedImage;
    item.lParam = data;
    return static_cast<int>(SendMessage(CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

std::wstring CComboBoxEx::GetItemText(int index) const
{
    wchar_t buffer[260] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    if (!SendMessage(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return {};
    return buffer;
}
