#pragma once
// The row of six function-key buttons under the panes (F3 view .. F8 delete), each a sixth
// of the row's width, none taking the keyboard focus from the lists.

#include <QObject>

class QFrame;
class QPushButton;

namespace q7k3 {

// The buttons; their object names are the ones the tests know.
struct ButtonBarParts {
    QPushButton* ViewBtn = nullptr;
    QPushButton* RefreshBtn = nullptr;
    QPushButton* CopyBtn = nullptr;
    QPushButton* Rename = nullptr;
    QPushButton* CompileJavaBtn = nullptr;
    QPushButton* DeleteBtn = nullptr;
};

class ButtonBar : public QObject, private ButtonBarParts {
    Q_OBJECT
public:
    // Builds the buttons inside `panel` and keeps them laid out when it is resized.
    explicit ButtonBar(QFrame* panel);
    // The button of a function key (Qt::Key_F3 .. Qt::Key_F8); null for any other key.
    QPushButton* ForKey(int key) const;
    void Layout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* m_panel;
};

}  // namespace q7k3
