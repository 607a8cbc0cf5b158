// The username and password fields: every change is checked against the
// forbidden characters, kept in the members, and, while "Remember" is ticked,
// in the profile at once.
#include "ui/CorvaneDlg.h"

#include "app/Settings.h"
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/Credentials.h"
#include "ui/PasswordCodec.h"

namespace {

struct CredentialField {
    CEdit& edit;
    std::wstring& accepted;  // the last accepted text of the field
    const wchar_t* profileValue;
    UINT messageId;
    UINT messageFlags;
};

// Refuses the whole new text: tells the user, puts the last accepted text back
// (its EN_CHANGE then passes) and leaves the caret behind it.
bool ValidateField(CCorvaneDlg& dialog, const CredentialField& field, const std::wstring& text)
{
    const std::wstring forbidden = LoadStringResource(IDS_FORBIDDEN_CHARS);
    if (!IsRefusedCredential(text, forbidden))
        return true;

    ShowMessageBox(dialog.GetSafeHwnd(), LoadStringResource(field.messageId), LoadStringResource(IDS_APP_NAME),
                   field.messageFlags);

    // A stored value changed by other means can hold a forbidden character
    // itself; putting it back would raise the same refusal without end, so it
    // is dropped from the member and the profile instead.
    if (IsRefusedCredential(field.accepted, forbidden)) {
        field.accepted.clear();
        settings::WriteString(field.profileValue, L"");
    }

    field.edit.SetWindowText(field.accepted);
    const int length = static_cast<int>(field.accepted.size());
    field.edit.SetSel(length, length);
    field.edit.SendMessage(EM_SCROLLCARET);
    return false;
}

}  // namespace

void CCorvaneDlg::EnableConnectForCredentials()
{
    m_btnConnect.EnableWindow(!m_strUsername.empty() && !m_strPassword.empty());
}

bool CCorvaneDlg::ValidateUsername(const std::wstring& text)
{
    return ValidateField(*this,
                         {m_editUsername, m_strUsername, settings::kUsername, IDS_USERNAME_FORBIDDEN,
                          MB_OK | MB_ICONINFORMATION},
                         text);
}

bool CCorvaneDlg::ValidatePassword(const std::wstring& text)
{
    return ValidateField(*this, {m_editPassword, m_strPassword, settings::kPassword, IDS_PASSWORD_FORBIDDEN, MB_OK},
                         text);
}

void CCorvaneDlg::OnChangeUsername()
{
    const std::wstring text = m_editUsername.GetWindowText();
    if (!ValidateUsername(text))
        return;
    m_strUsername = text;
    if (m_chkRemember.GetCheck() != BST_UNCHECKED)
        settings::WriteString(settings::kUsername, m_strUsername);
    EnableConnectForCredentials();
}

void CCorvaneDlg::OnChangePassword()
{
    const std::wstring text = m_editPassword.GetWindowText();
    if (!ValidatePassword(text))
        return;
    m_strPassword = text;
    if (m_chkRemember.GetCheck() != BST_UNCHECKED)
        settings::WriteString(settings::kPassword, EncodePassword(m_strPassword));
    EnableConnectForCredentials();
}

void CCorvaneDlg::OnRememberClicked()
{
    if (m_chkRemember.GetCheck() != BST_UNCHECKED) {
        // The edits only ever hold accepted text.
        m_strUsername = m_editUsername.GetWindowText();
        m_strPassword = m_editPassword.GetWindowText();
        settings::WriteString(settings::kUsername, m_strUsername);
        settings::WriteString(settings::kPassword, EncodePassword(m_strPassword));
        settings::WriteInt(settings::kRemember, 1);
    } else {
        settings::WriteString(settings::kUsername, L"");
        settings::WriteString(settings::kPassword, L"");
        settings::WriteInt(settings::kRemember, 0);
    }
}
