#pragma once
// Delete: the selected files of the phone pane erased one by one, with the thumbnails the
// phone keeps for the photos of its album folders; or the selected local files after one
// question. Folders are never deleted.

#include <string>
#include <vector>

#include "commands/CommandSupport.h"
#include "phonefs/PhoneFs.h"

namespace q7k3 {

class DeleteFiles {
public:
    DeleteFiles(PhoneFs& fs, Tree4* folder);

    // `selection`: the captions of the phone pane's selected items in list order; folders
    // among them are skipped. Runs inside the session's busy bracket. A file leaves the
    // tree only once the phone has confirmed its erase. Fails on a phone failure;
    // thumbnail failures are ignored.
    Status Run(const std::vector<std::string>& selection);

    CommandEnd End() const { return m_end; }
    size_t Taken() const { return m_taken; }
    const std::vector<std::string>& Erased() const { return m_erased; }

private:
    void EraseThumbnails(const std::vector<std::string>& thumbnails);

    PhoneFs& m_fs;
    Tree4* m_folder;
    CommandEnd m_end = CommandEnd::Finished;
    size_t m_taken = 0;
    std::vector<std::string> m_erased;
};

// The question before erasing phone files, whose erase cannot be undone: "Удалить с
// телефона «NAME»?" for one file, else the number of files; No is the default. True for
// Yes; also true, without a question, when the selection holds no file (folders only).
bool AskPhoneDelete(Prompts& prompts, const Tree4* folder,
                    const std::vector<std::string>& selection);

// The local delete: asks "Вы действительно хотите удалить N файлов?" (N the number of
// selected items), then deletes every path that is a file, for good. A file that cannot be
// deleted is named in an error box. Returns false when the answer was No; the pane is
// reloaded either way by the caller.
class DeleteLocalFiles {
public:
    explicit DeleteLocalFiles(Prompts& prompts) : m_prompts(prompts) {}
    bool Run(const std::vector<std::string>& paths);
    const std::vector<std::string>& Failed() const { return m_failed; }

private:
    Prompts& m_prompts;
    std::vector<std::string> m_failed;
};

}  // namespace q7k3
