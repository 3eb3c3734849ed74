// The first page, "画像登録": the registered pictures in a five-column list,
// with adding files and folders, dropping, properties and removal.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "controls/image_button_win32.h"
#include "dialogs/settings_page_win32.h"
#include "framework/registered_message_win32.h"
#include "framework/window_win32.h"

// A list view that hands files dropped on it to its parent.
class DropFileListView : public fw::Window {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// With which the list passes the drop handle of a WM_DROPFILES on to its
// parent, the page, synchronously: wParam the handle, lParam 0; answered 0.
inline const fw::RegisteredMessage kDropListFile{"WM_DROP_LIST_FILE"};

class ImageListPage : public SettingsPage {
public:
    explicit ImageListPage(DialogContext& context);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnAddFiles();
    void OnAddFolder();
    void OnProperties();
    void OnDelete();
    LRESULT OnDrop(WPARAM drop, LPARAM);
    void Refresh();
    std::vector<int> SelectedRows() const;
    void SetCell(int row, int column, const std::string& text) const;

    DropFileListView list_;
    std::array<ImageButton, 4> buttons_;
};
