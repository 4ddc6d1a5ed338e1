#pragma once

#include <QDialog>
#include <QHash>

class CSpinButtonCtrl;
class QAbstractButton;
class QLineEdit;
struct QueConfig;

// "Queue Settings": the queue options the terminals are told and the number
// of terminals allowed. It keeps no copy: it reads the options when it opens
// and writes them on OK; Cancel changes nothing. The terminals see a change in
// their next ServerInfo, the listener at the next connection.
class CQueSetDlg : public QDialog
{
    Q_OBJECT
public:
    // The controls, by the ids the dialog's layout gives them.
    enum ControlId
    {
        IdOk = 1,
        IdCancel = 2,
        IdUsers = 1002,
        IdKeyControl = 1003,   // edits Tempo
        IdTempoControl = 1004, // edits Pitch
        IdSyncControl = 1005,
        IdConfirmation = 1006,
        IdDeleteByStation = 1007,
        IdCustomerName = 1008,
        IdRemoteControl = 1009,
        IdUsersSpin = 1011,
        IdReserveAndRemote = 1014,
        IdReserveOnly = 1015,
        IdNeither = 1016,
    };

    explicit CQueSetDlg(QueConfig &config, QWidget *parent = nullptr);

    // The control with that id, or nullptr.
    QWidget *control(int id) const { return m_controls.value(id); }
    QAbstractButton *button(int id) const;
    QLineEdit &usersEdit() const { return *m_users; }
    CSpinButtonCtrl &usersSpin() const { return *m_spin; }

    // OK: the controls are written into the options and the dialog closes.
    void accept() override;

    // Opens the dialog modally; on OK the options are saved to "Moxi.ini".
    // True for OK.
    static bool Open(QueConfig &config, QWidget *parent);

private:
    void CreateControls();
    void OnInitDialog();

    QueConfig &m_config;
    QHash<int, QWidget *> m_controls;
    QLineEdit *m_users = nullptr;
    CSpinButtonCtrl *m_spin = nullptr;
};
