#pragma once
// What the core asks of the person at the screen. Widgets implement these with the real
// dialogs; tests implement them with scripted fakes that record exact texts and captions.
// Methods added later get a default body so that no existing implementation breaks.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace q7k3 {

// None: a box without an icon (some of the copy's messages have none).
enum class BoxIcon { Error, Warning, Information, Question, None };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with one OK button.
    virtual void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // The same question with another icon than the question mark (the local delete
    // question carries the information icon).
    virtual bool AskYesNoWithIcon(const std::string& text, const std::string& caption,
                                  BoxIcon /*icon*/) {
        return AskYesNo(text, caption);
    }
    // The same for a step that cannot be undone: No is the default answer (Enter).
    virtual bool AskYesNoDefaultNo(const std::string& text, const std::string& caption) {
        return AskYesNo(text, caption);
    }
    // Both: another icon, and No the default answer.
    virtual bool AskYesNoDefaultNoWithIcon(const std::string& text, const std::string& caption,
                                           BoxIcon /*icon*/) {
        return AskYesNoDefaultNo(text, caption);
    }
};

// The progress dialog (ProgressDialog): two status lines, two bars, a caption and the
// abort button, which sets the shared AbortRequested flag (AppFlags).
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetQuickStatus(const std::string& text) = 0;
    virtual void SetLongStatus(const std::string& text) = 0;
    // bar is 1 (blocks of the current file) or 2 (files of the command).
    virtual void SetMax(int bar, int max) = 0;
    virtual void SetPosition(int bar, int position) = 0;
    virtual void Step(int bar) = 0;
    virtual int Position(int bar) const = 0;
    virtual int Max(int bar) const = 0;
    // The bytes of the file under way: `done` of `total` (0 when its size is not known)
    // after `elapsedMs` of its transfer; told at its start and after each block.
    virtual void SetFileBytes(int64_t /*done*/, int64_t /*total*/, int64_t /*elapsedMs*/) {}
};

// The file-exists question (ConflictDialog): the phone folder already holds a file of the
// chosen name. The answer says what to do with this file; OverwriteAll also holds for
// every later conflict of the same command, which the command remembers itself.
enum class ConflictAnswer {
    UseNewName,    // "OK": write under NewName (the caller checks it is free)
    Overwrite,     // replace the existing file
    OverwriteAll,  // replace it and every later one of this command
    Cancel,        // end the command ("Отмена", Escape, the title bar's close)
    Skip,          // leave this file out, keep the one there, go on with the next
    SkipAll,       // leave out this and every later taken name of this command
};
struct ConflictReply {
    ConflictAnswer Answer = ConflictAnswer::Cancel;
    std::string NewName;  // the edited name; meaningful with UseNewName
};
// What the conflict dialog tells of a file: its size and its modification time.
struct FileFacts {
    int64_t Size = -1;          // bytes; -1 when not known
    int64_t ModifiedSecs = -1;  // seconds since the epoch; -1 when not known
};
// Both files of a conflict, and whether the question is about one file only (a rename,
// a command of one file), which leaves out the answers "… все".
struct ConflictFacts {
    FileFacts Existing;
    FileFacts Incoming;
    bool OneFile = false;
};
class ConflictQuestion {
public:
    virtual ~ConflictQuestion() = default;
    // oldName is the taken name; proposedName fills the edit line.
    virtual ConflictReply AskConflict(const std::string& oldName,
                                      const std::string& proposedName) = 0;
    // The same question with what is known of the two files.
    virtual ConflictReply AskConflictAbout(const std::string& oldName,
                                           const std::string& proposedName,
                                           const ConflictFacts& /*facts*/) {
        return AskConflict(oldName, proposedName);
    }
};

// The rename question (RenameDialog): the new name of a phone file, or nothing on cancel.
class RenameQuestion {
public:
    virtual ~RenameQuestion() = default;
    virtual std::optional<std::string> AskNewName(const std::string& currentName) = 0;
};

// The connection dialog (SettingsDialog): filled from the current settings and shown
// modally. The answer comes on the window's thread, at once or once the dialog is closed:
// true for "Старт" (the dialog has applied and saved its values by then).
using ConnectionAnswer = std::function<void(bool start)>;
class ConnectionDialog {
public:
    virtual ~ConnectionDialog() = default;
    virtual void AskConnectionSettings(ConnectionAnswer answered) = 0;
    // The port tried has no phone (silent, or it did not open): the dialog shown next says
    // so and offers the phone search.
    virtual void OfferPhoneSearch(const std::string& /*port*/) {}
};

// A progress view that shows nothing (the CLI, and callers that want no progress).
class NullProgress final : public ProgressView {
public:
    void Show() override {}
    void Hide() override {}
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string&) override {}
    void SetLongStatus(const std::string&) override {}
    void SetMax(int bar, int max) override { m_max[Index(bar)] = max; }
    void SetPosition(int bar, int position) override { m_pos[Index(bar)] = position; }
    void Step(int bar) override { ++m_pos[Index(bar)]; }
    int Position(int bar) const override { return m_pos[Index(bar)]; }
    int Max(int bar) const override { return m_max[Index(bar)]; }

private:
    static int Index(int bar) { return bar == 2 ? 1 : 0; }
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
};

}  // namespace q7k3
