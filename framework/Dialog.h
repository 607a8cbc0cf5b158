// Dialogs from .rc templates, modal or modeless, with a message table.
#pragma once

#include "framework/MessageTable.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    // With no parent given the application's main window owns the dialog.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    UINT GetTemplateId() const { return m_templateId; }

    // Runs the dialog modally through the modal-dialog seam.
    INT_PTR DoModal();
    // The real modal run; the seam's default.
    INT_PTR RunModalLoop();

    // Creates the dialog modeless (tests, and a window that lives beside others).
    bool CreateModeless(HWND parent = nullptr);
    void DestroyWindow();

    void EndDialog(INT_PTR result);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

protected:
    // Binds the controls to their members (the framework's DDX_Control).
    virtual void DoDataExchange() {}
    void BindControl(int id, CWnd& control) const { control.Attach(GetDlgItem(id)); }

    // The derived class dispatches its message table here.
    virtual bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Handles one message: the message table, then IDOK and IDCANCEL, then the
    // commands that reach the application. A dialog that must hold some
    // messages back wraps this.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Runs the default processing of the message being handled now, for
    // handlers that must act after it. A handler called directly, not for a
    // message, has nothing to pass on.
    LRESULT Default();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnStandardCommand(WPARAM wParam);
    HWND Owner() const;

    struct CurrentMessage {
        bool valid;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    UINT m_templateId;
    HWND m_parent;
    bool m_modal = false;
    CurrentMessage m_current{};
    bool m_passCurrentToDefault = false;
};

// Gives a dialog class its message table: `class CMyDlg : public
// CDialogWithTable<CMyDlg>` with `static const MessageEntry<CMyDlg> kMessages[];`.
template <class T>
class CDialogWithTable : public CDialog {
public:
    using CDialog::CDialog;

protected:
    bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        return DispatchMessageTable<T>(static_cast<T&>(*this), std::span(T::kMessages), message, wParam, lParam,
                                       result);
    }
};
