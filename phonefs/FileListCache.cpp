#include "phonefs/FileListCache.h"

#include "ui/Messages.h"
#include "ui/TempDir.h"

namespace q7k3 {
namespace {
std::string& Scratch() {
    static std::string name;
    return name;
}
}  // namespace

const std::string& ScratchFileName() {
    return Scratch();
}

bool BuildFileListCache(PhoneFs& fs, ScanWindow& window) {
    Scratch() = TempFileName();
    ProgressView& progress = fs.Progress();
    AppFlags& flags = fs.Flags();
    progress.Show();
    progress.SetQuickStatus(Msg(35));
    progress.SetLongStatus(Msg(36));
    for (const int bar : {1, 2}) {
        progress.SetMax(bar, 0);
        progress.SetPosition(bar, 0);
    }

    // The window lets go of the old tree before the scan frees it; the handlers are the
    // scan's only while it runs.
    struct Restore {
        PhoneFs& fs;
        std::function<void()> dropped = fs.onTreeDropped, failed = fs.onWalkFailed;
        ~Restore() {
            fs.onTreeDropped = dropped;
            fs.onWalkFailed = failed;
        }
    } restore{fs};
    fs.onTreeDropped = [&window] { window.ForgetTree(); };
    fs.onWalkFailed = [&] {
        progress.Hide();
        window.EnableWindow(true);
    };
    window.ForgetTree();
    Tree4* root = fs.ScanPhone(flags.MODE, flags.HiddenFiles);
    if (!root) {
        fs.DropTree();
        window.ClosePort();
        progress.Hide();
        window.RunConnectionDialog();
        return false;
    }
    window.ShowModel(fs.Channel().PhoneModel);
    window.ShowRoot(root);

    if (flags.AbortRequested) {
        flags.AbortRequested = false;
    } else if (!TreeHasFiles(root)) {
        // No file anywhere: an unprepared or freshly formatted phone.
        if (!fs.Ui().AskYesNo(Msg(kMsgNotPatched), Msg(kMsgAttentionCaption))) {
            fs.DropTree();
            window.ClosePort();
            progress.Hide();
            window.EnableWindow(true);
            window.RunConnectionDialog();
            return false;
        }
    }
    window.LayOut();
    progress.Hide();
    window.EnableWindow(true);
    if (flags.IRDAReq) window.StartKeepAlive();
    return true;
}

}  // namespace q7k3
