#pragma once
// The small window of "Найти телефон": every port searched, with what it answered as its
// answer comes, the state of the search above, and the buttons to stop it, to choose one of
// several phones found, and to close. The settings dialog owns it and takes the choice.

#include <QDialog>

#include <functional>

#include "ports/PhoneWatch.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace q7k3 {

class PhoneSearchDialog final : public QDialog {
    Q_OBJECT

public:
    explicit PhoneSearchDialog(QWidget* parent = nullptr);

    // Starts a search and shows the window. False while one runs.
    bool Start(const SearchRequest& request, const SearchSources& sources = {});
    void Stop() { m_runner.Stop(); }
    // Ends the search and calls `then` once its ports are closed again (at once when none
    // is open); the window never waits for it.
    void StopThen(std::function<void()> then);
    bool Running() const { return m_runner.Running(); }

    // A phone was chosen: the one phone a search found, or the one the user picked of
    // several.
    std::function<void(const PortFinding&)> OnChoose;
    // The search ended (found, stopped or not).
    std::function<void()> OnFinished;

    QString Status() const;
    // The rows as shown, one per port.
    QStringList Rows() const;

private:
    void ShowRow(int index);
    void Finish();
    void ChooseCurrent();
    void UpdateButtons();

    SearchRunner m_runner;
    QLabel* m_status = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace q7k3
