#pragma once

#include <QDialog>
#include <QMessageBox>
#include <functional>

class ChannelList;
class MelodeckServer;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// "Send Message": a short text to the stations ticked in the list, each of
// which receives it as one StationMessage. The list shows the terminals
// connected when the dialog opened. Sending leaves the dialog open; Enter
// neither sends nor closes.
class CSendMsgDlg : public QDialog
{
    Q_OBJECT
public:
    // Characters read from the edit box, of which the first 40 are sent.
    static constexpr int kMaxInput = 259;

    // Tells the operator something in a message box with an OK button.
    using Notifier =
        std::function<void(QMessageBox::Icon icon, const QString &caption, const QString &text)>;

    // Lists the connected terminals; with none, says "Device not found." and
    // stays open. Without `notify`, messages go to message boxes.
    CSendMsgDlg(MelodeckServer &server, const ChannelList &channels, QWidget *parent = nullptr,
                Notifier notify = {});

    QPlainTextEdit &messageEdit() { return *m_edit; }
    QCheckBox &allStations() { return *m_all; }
    QTreeWidget &stationList() { return *m_stations; }
    QPushButton &sendButton() { return *m_send; }
    QPushButton &clearButton() { return *m_clear; }

    // "Send": the text to every ticked station, or a message why nothing was sent.
    void OnSend();
    // "Clear": empties the text and puts the cursor there.
    void OnClear();
    // "All Stations": ticks or unticks every row.
    void OnAllStations(bool checked);

    // The address a row stands for: the text after its first ":", with
    // "localhost" meaning 127.0.0.1.
    static QString AddressOfRow(const QString &rowText);

private:
    void FillStations(const ChannelList &channels);

    MelodeckServer &m_server;
    Notifier m_notify;
    QPlainTextEdit *m_edit = nullptr;
    QCheckBox *m_all = nullptr;
    QTreeWidget *m_stations = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_clear = nullptr;
};
