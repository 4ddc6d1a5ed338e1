#pragma once

#include <QMainWindow>

class QTabWidget;
class QTableView;
class RARAZAdi;
class RowTable;

// The server's one window: tabbed lists on the left, connected terminals on
// the right. Closing it runs the close sequence.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(RARAZAdi &app, QWidget *parent = nullptr);

    // Appends " <address>" to the caption once the listener is up.
    void AppendAddressToCaption(const QString &address);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTableView *MakeList(RowTable &rows, QWidget *parent);

    RARAZAdi &m_app;
    QTabWidget *m_tabs = nullptr;
};
