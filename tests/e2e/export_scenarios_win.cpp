// End-to-end scenarios of View/Open and Export, each on a disc built from data/export, with
// SOURCE_DIR that folder: View/Open writes its copy into the Windows folder's Temp folder and
// deletes it at exit; Export of list rows, of a folder and of the whole disc through the real
// folder browser, compared byte for byte with the originals; the progress dialog, Abort, and the
// export right. The folder browser opens at the viewer's current directory, so each scenario
// starts the viewer in the folder it exports into and confirms the browser.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drive_win.h"
#include "export_helpers_win.h"
#include "scenarios_win.h"

namespace {

bool expectSameFiles(const std::string& exportedFolder, const std::string& sourceFolder,
                     const std::vector<const char*>& relativePaths) {
    for (const char* relative : relativePaths) {
        DRIVE(expectSameFile(exportedFolder + "\\" + relative, sourceFolder + "\\" + relative));
    }
    return true;
}

std::string sourceOf(const Args& args) { return toWindowsPath(args[1]); }

// The whole-disc export into out, with out\Orvanta\Read me.txt taken by a folder so that the
// first file fails and its error box holds the export while the progress dialog is up.
HWND startBlockedDiscExport(Program& program, const Args& args, const std::string& out) {
    if (!makeFolder(out) || !makeFolder(out + "\\Orvanta") || !makeFolder(out + "\\Orvanta\\Read me.txt")) {
        return nullptr;
    }
    HWND main = startAndLogIn(program, args[0], out, "master");
    if (!main || !rightClickTreeNode(main, "Orvanta") || !chooseFromMenu(program, "Export") ||
        !confirmFolderBrowser(program, out)) {
        return nullptr;
    }
    return main;
}

bool viewOpenTempCopy(Program& program, const Args& args) {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string temp = std::string(windows) + "\\Temp\\data.orvx";
    DeleteFileA(temp.c_str());
    // A user without the export right may still view.
    HWND main = startAndLogIn(program, args[0], "", "ned");
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    int row = findListRow(rows, "data.orvx");
    DRIVE(row >= 0);
    DRIVE(clickListRow(list, row, CLICK_DOUBLE));
    DWORD start = GetTickCount();
    std::string copy;
    while (!readBytes(temp, &copy) && GetTickCount() - start < driveWaitMs) {
        Sleep(50);
    }
    DRIVE(expectSameFile(temp, sourceOf(args) + "\\data.orvx"));
    DRIVE(exitViewer(program, main));
    return expectMissing(temp);
}

bool exportTwoRows(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-rows");
    HWND main = startAndLogIn(program, args[0], out, "ann");
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    int readMe = findListRow(rows, "Read me.txt");
    int notes = findListRow(rows, "notes.txt");
    DRIVE(readMe >= 0 && notes >= 0);
    DRIVE(selectListRows(list, {readMe, notes}));
    DRIVE(clickListRow(list, notes, CLICK_RIGHT));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(confirmFolderBrowser(program, out));
    DRIVE(answerBox(program, "Finished:", "File(s) has been exported to " + out + "."));
    DRIVE(expectSameFiles(out, sourceOf(args), {"Read me.txt", "notes.txt"}));
    DRIVE(expectMissing(out + "\\data.orvx"));
    DRIVE(expectMissing(out + "\\Orvanta"));
    return exitViewer(program, main);
}

bool exportWholeDisc(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-disc");
    HWND main = startBlockedDiscExport(program, args, out);
    DRIVE(main);
    HWND progress = waitWindow(program, "#32770", "Exporting...");
    DRIVE(progress);
    DRIVE(waitWindow(program, "#32770", "Error:(34565)"));
    Sleep(500);  // a few frames of the animation, for the artefacts
    saveScreenshot("export-progress");
    DRIVE(answerBox(program, "Error:(34565)", "Cannot create new export file."));
    // The walk goes on after the failed file; its dialog is gone when the closing box shows.
    HWND finished = waitWindow(program, "#32770", "Finished:");
    DRIVE(finished);
    DRIVE(waitWindowGone(program, progress, 2000));
    DRIVE(answerBox(program, "Finished:", "Orvanta has been exported to " + out + "."));
    DRIVE(expectSameFiles(out + "\\Orvanta", sourceOf(args),
                          {"notes.txt", "data.orvx", "Pictures\\photo.txt", "Pictures\\Holiday\\beach.txt",
                           "Reports\\q1.txt"}));
    if (!isFolder(out + "\\Orvanta\\Read me.txt")) {
        return driveFail("the folder in the way of \"Read me.txt\" was replaced");
    }
    return exitViewer(program, main);
}

bool exportAbort(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-abort");
    HWND main = startBlockedDiscExport(program, args, out);
    DRIVE(main);
    HWND progress = waitWindow(program, "#32770", "Exporting...");
    DRIVE(progress);
    DRIVE(waitWindow(program, "#32770", "Error:(34565)"));
    DRIVE(pressButton(progress, IDCANCEL));
    DRIVE(waitWindowGone(program, progress));
    DRIVE(answerBox(program, "Error:(34565)", "Cannot create new export file."));
    DRIVE(answerBox(program, "Aborted:", "The export was aborted; " + out + " holds the files exported before."));
    DRIVE(expectMissing(out + "\\Orvanta\\data.orvx"));
    DRIVE(expectMissing(out + "\\Orvanta\\notes.txt"));
    DRIVE(expectMissing(out + "\\Orvanta\\Pictures"));
    return exitViewer(program, main);
}

bool exportOneFolder(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-folder");
    HWND main = startAndLogIn(program, args[0], out, "master");
    DRIVE(main);
    DRIVE(rightClickTreeNode(main, "Orvanta/Pictures"));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(confirmFolderBrowser(program, out));
    DRIVE(answerBox(program, "Finished:", "Pictures has been exported to " + out + "."));
    DRIVE(waitNoWindow(program, "#32770", "Exporting...", 500));
    DRIVE(expectSameFiles(out, sourceOf(args), {"Pictures\\photo.txt", "Pictures\\Holiday\\beach.txt"}));
    DRIVE(expectMissing(out + "\\Orvanta"));
    return exitViewer(program, main);
}

bool exportWithoutRight(Program& program, const Args& args) {
    HWND main = startAndLogIn(program, args[0], "", "ned");
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    int notes = findListRow(rows, "notes.txt");
    DRIVE(notes >= 0);
    DRIVE(clickListRow(list, notes, CLICK_RIGHT));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(answerBox(program, "INFO:", "You do not have permissions to export."));
    DRIVE(rightClickTreeNode(main, "Orvanta"));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(answerBox(program, "INFO:", "You do not have permissions to export."));
    DRIVE(waitNoWindow(program, "#32770", nullptr, 500));
    return exitViewer(program, main);
}

const ScenarioRegistration exportScenarios = {
    {"view-open-temp", 2, "WORK_DIR SOURCE_DIR (the disc and the folder it was built from)", viewOpenTempCopy},
    {"export-rows", 2, "WORK_DIR SOURCE_DIR", exportTwoRows},
    {"export-disc", 2, "WORK_DIR SOURCE_DIR", exportWholeDisc},
    {"export-abort", 2, "WORK_DIR SOURCE_DIR", exportAbort},
    {"export-folder", 2, "WORK_DIR SOURCE_DIR", exportOneFolder},
    {"export-no-right", 2, "WORK_DIR SOURCE_DIR", exportWithoutRight},
};

}  // namespace
