#pragma once
// A one-line input box. The favourites use the rename dialog for it: its caption is
// switched for the question and restored afterwards, however the dialog was closed.

#include <QString>
#include <optional>

namespace q7k3 {

class InputBox {
public:
    virtual ~InputBox() = default;
    // Shows the box with `caption` and `text` filled in, modally. The text as entered when
    // it was closed with OK; nothing when it was cancelled.
    virtual std::optional<QString> Ask(const QString& caption, const QString& text) = 0;
};

// Any dialog with Ask(text) -> modal result (Dialog::kOk for OK) and NameText() as the
// input box: the rename dialog of the main window.
template <class Dialog>
class DialogInputBox final : public InputBox {
public:
    explicit DialogInputBox(Dialog& dialog) : m_dialog(dialog) {}
    std::optional<QString> Ask(const QString& caption, const QString& text) override {
        const QString own = m_dialog.windowTitle();
        m_dialog.setWindowTitle(caption);
        const int result = m_dialog.Ask(text);
        m_dialog.setWindowTitle(own);
        if (result != Dialog::kOk) return std::nullopt;
        return m_dialog.NameText();
    }

private:
    Dialog& m_dialog;
};

}  // namespace q7k3
