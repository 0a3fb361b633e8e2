#pragma once
// What the core asks of the person at the screen. Widgets implement these with the real
// dialogs; tests implement them with scripted fakes that record exact texts and captions.
// Methods added later get a default body so that no existing implementation breaks.

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
};

// The progress dialog (TProcessForm): two status lines, two bars, a caption and the
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
