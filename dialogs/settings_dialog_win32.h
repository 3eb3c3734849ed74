// The settings dialog: four pages in a tab control over the working copy,
// and OK, 更新 and ｷｬﾝｾﾙ, which commit it into the live settings or throw it away.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "controls/image_button_win32.h"
#include "dialogs/dialog_context_win32.h"
#include "dialogs/settings_page_win32.h"
#include "framework/dialog_win32.h"
#include "framework/handles_win32.h"
#include "framework/window_win32.h"

class SettingsTabControl : public fw::Window {
public:
    // Creates the four pages as its children and shows the first.
    void CreatePages(DialogContext& context);
    void BeforeCommit();
    // Shows the page of the selected tab. The page takes the keyboard focus
    // unless the tab control has it: arrow keys there go on moving along
    // the tabs.
    void ShowSelected();
    // Selects the tab `step` places on, wrapping round, and shows its page.
    void Step(int step);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::vector<std::unique_ptr<SettingsPage>> pages_;
    int shown_ = 0;
};

class SettingsDialog : public fw::Dialog {
public:
    explicit SettingsDialog(DialogContext& context);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Enter commits as OK does; Escape and the close box cancel.
    void OnOK() override { OnCommitAndClose(); }
    void OnCancel() override;

private:
    LRESULT OnChanged(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM, LPARAM header);
    LRESULT OnDestroy(WPARAM, LPARAM);
    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp anywhere in
    // the dialog; true when the key changed the page.
    bool OnPageKey(const MSG& message);
    static LRESULT CALLBACK FilterDialogMessage(int code, WPARAM wParam, LPARAM lParam) noexcept;
    void OnCommitAndClose();
    void OnApply();
    // The pages settle what they hold, then the program takes the working copy.
    void Commit();

    DialogContext& context_;
    SettingsTabControl tabs_;
    std::array<ImageButton, 3> buttons_;  // OK, 更新, ｷｬﾝｾﾙ
    fw::UniqueHook pageKeys_;
};
