#pragma once
// Message boxes and questions shown with QMessageBox, parented to the main window.

#include <QPointer>
#include <QWidget>

#include "base/Prompts.h"

namespace q7k3 {

class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool AskYesNoWithIcon(const std::string& text, const std::string& caption,
                          BoxIcon icon) override;
    bool AskYesNoDefaultNo(const std::string& text, const std::string& caption) override;
    bool AskYesNoDefaultNoWithIcon(const std::string& text, const std::string& caption,
                                   BoxIcon icon) override;

    // The catalogue writes line breaks as CR LF; a message box wants a bare LF.
    static QString DisplayText(const std::string& text);

private:
    QPointer<QWidget> m_parent;
};

// Sets the program's language to Russian, with Qt's own Russian texts (standard buttons
// "Да", "Нет", "Отмена", the file model's column headers). False when Qt's translation is
// not installed.
bool InstallRussianTranslation();

}  // namespace q7k3
