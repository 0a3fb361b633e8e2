#pragma once
// The small window behind the settings dialog's "?" next to the port list: every serial
// device the kernel knows, whether it opens, and for those that do not, why and what to
// do about it (the lines can be selected and copied into a terminal).

#include <QDialog>

#include <functional>
#include <vector>

#include "ports/PortDiagnostics.h"

class QPlainTextEdit;

namespace q7k3 {

class PortStatesDialog final : public QDialog {
    Q_OBJECT

public:
    explicit PortStatesDialog(QWidget* parent = nullptr);

    // Shows these states (replacing what was shown).
    void Fill(const std::vector<PortStatus>& ports);
    QString Text() const;

private:
    QPlainTextEdit* m_text = nullptr;
};

// The text the window shows: a state line per device, its advice indented below.
QString PortStatesText(const std::vector<PortStatus>& ports);

}  // namespace q7k3
