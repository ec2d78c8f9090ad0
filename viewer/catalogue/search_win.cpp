// The Search dialog, the Search results dialog and going to a hit in the tree and the file list.
// The matching and the texts come from the portable search core.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "catalogue/catalogue_win.h"
#include "catalogue/search.h"
#include "resource.h"
#include "startup/appstate_win.h"
#include "ui/commands_win.h"
#include "ui/panes_win.h"

namespace {

// The last mode used, kept for the viewer's lifetime.
int32_t searchMode = SEARCH_BY_ID_NUMBER;

struct ModeRadio {
    int32_t mode;
    int id;
};
constexpr ModeRadio MODE_RADIOS[] = {
    {SEARCH_BY_ID_NUMBER, IDC_SEARCH_BY_ID},
    {SEARCH_BY_NAME, IDC_SEARCH_BY_NAME},
    {SEARCH_BY_FILE_NAME, IDC_SEARCH_BY_FILENAME},
};

// The hits of one search; they live while the results dialog is open.
struct SearchResults {
    std::vector<SearchHit> hits;
};

void gotoItem(const CryptItem* item);

// The hit a results row is tied to, or nullptr (no selection, or the "No matches found." row).
const SearchHit* hitOfSelectedRow(HWND dialog, const SearchResults& results) {
    HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
    const LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) return nullptr;
    const LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0);
    if (data < 0 || static_cast<size_t>(data) >= results.hits.size()) return nullptr;
    return &results.hits[static_cast<size_t>(data)];
}

void resultsDialogOnInit(HWND dialog, const SearchResults& results) {
    HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
    uint32_t count = 0;
    if (results.hits.empty()) {
        const LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("No matches found."));
        // The list box is sorted, so a row's place says nothing of its hit: each row carries the
        // index of its own hit, and this one an index that names none.
        if (row >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(LB_ERR));
    } else {
        for (size_t i = 0; i < results.hits.size(); ++i) {
            const CryptItem* item = findItemById(catalogue, results.hits[i].ItemId);
            if (!item) continue;
            const std::string text = searchResultRowText(*item);
            const LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            if (row < 0) continue;
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(i));
            ++count;
        }
    }
    SetDlgItemTextA(dialog, IDC_RESULTS_COUNT, searchCountText(count).c_str());
    SendMessageA(list, LB_SETCURSEL, 0, 0);
}

void resultsDialogOnGoto(HWND dialog, SearchResults* results) {
    const SearchHit* hit = hitOfSelectedRow(dialog, *results);
    const CryptItem* item = hit ? findItemById(catalogue, hit->ItemId) : nullptr;
    results->hits.clear();
    if (item) gotoItem(item);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK resultsDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    SearchResults* results = reinterpret_cast<SearchResults*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        resultsDialogOnInit(dialog, *reinterpret_cast<SearchResults*>(lp));
        return TRUE;
    case WM_COMMAND:
        if (!results) return FALSE;
        switch (LOWORD(wp)) {
        case IDOK: resultsDialogOnGoto(dialog, results); return TRUE;
        case IDCANCEL:
            results->hits.clear();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// Matches the catalogue and shows the hits; returns when the results dialog has closed.
void runSearch(const char* text, int32_t mode) {
    if (catalogue.items.empty()) {
        showError("ERROR:", "No items to search through.");
        return;
    }
    SearchResults results;
    results.hits = runSearchMatch(catalogue, text, mode);
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SEARCHRESULTS), nullptr, resultsDialogProc,
                    reinterpret_cast<LPARAM>(&results));
}

void searchDialogOnInit(HWND dialog) {
    for (const ModeRadio& radio : MODE_RADIOS)
        CheckDlgButton(dialog, radio.id, radio.mode == searchMode ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_SEARCH_TEXT, EM_LIMITTEXT, SEARCH_TEXT_LIMIT, 0);
    SetFocus(GetDlgItem(dialog, IDC_SEARCH_TEXT));
}

void searchDialogOnSearch(HWND dialog) {
    char text[SEARCH_TEXT_LIMIT + 1] = {};
    GetDlgItemTextA(dialog, IDC_SEARCH_TEXT, text, sizeof text);
    if (text[0] == 0) {
        showError("INFO:", "You didn't enter anything to search for. Try again.");
        return;
    }
    for (const ModeRadio& radio : MODE_RADIOS)
        if (IsDlgButtonChecked(dialog, radio.id) == BST_CHECKED) searchMode = radio.mode;
    runSearch(text, searchMode);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK searchDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: searchDialogOnInit(dialog); return FALSE;  // the focus is set: the text box
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: searchDialogOnSearch(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// The first row, from the top, whose name is the item's file name ignoring case; -1 for none.
int rowOfFileName(const CryptItem& item) {
    const int rows = ListView_GetItemCount(app.fileList);
    char name[CATALOGUE_TEXT_LIMIT + 1];
    for (int row = 0; row < rows; ++row) {
        name[0] = 0;
        ListView_GetItemText(app.fileList, row, 0, name, sizeof name);
        if (sameNameIgnoringCase(name, item.FileName.c_str())) return row;
    }
    return -1;
}

void gotoItem(const CryptItem* item) {
    const CryptItem* folder = findItemById(catalogue, item->ParentId);
    if (!folder) {
        // The hit lies in no folder of this disc, so no folder listing can show it; the panes
        // are left as they are instead of listing nothing.
        showError("INFO:", "The folder of %s is not on this disc.", item->FileName.c_str());
        return;
    }
    // The drop-highlight marks the folder whose files the list shows; the selection stays.
    HTREEITEM node = treeItemOfNode(treeNodeOfItemId(catalogue, item->ParentId));
    if (node) TreeView_EnsureVisible(app.treeView, node);
    TreeView_Select(app.treeView, node, TVGN_DROPHILITE);
    fillFileList(folder);

    const int row = rowOfFileName(*item);
    if (row < 0) return;
    SetFocus(app.fileList);
    ListView_EnsureVisible(app.fileList, row, TRUE);
    ListView_SetSelectionMark(app.fileList, row);
    ListView_SetHotItem(app.fileList, row);
    ListView_SetItemState(app.fileList, row, LVIS_SELECTED | LVIS_DROPHILITED, LVIS_SELECTED | LVIS_DROPHILITED);
}

}  // namespace

void runSearchCommand() {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_SEARCH), nullptr, searchDialogProc, 0);
}
