#include "ui/CQueSetDlg.h"

#include "base/NumberText.h"
#include "base/QueConfig.h"
#include "ui/CSpinButtonCtrl.h"
#include "ui/DialogUnits.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace {

enum class Kind
{
    Check,
    Radio,
    Group,
    Label,
    Edit,
    Spin,
    DefaultButton,
    Button
};

struct ControlLayout
{
    int id; // 0: a control nobody reads
    Kind kind;
    int x, y, width, height; // dialog units
    const char *text;
};

// The dialog's layout, in creation order (the group box first, so it lies under its radios).
constexpr ControlLayout kControls[] = {
    {CQueSetDlg::IdKeyControl, Kind::Check, 14, 10, 82, 10, "Enable Key control"},
    {CQueSetDlg::IdTempoControl, Kind::Check, 14, 23, 82, 10, "Enable Tempo control"},
    {CQueSetDlg::IdSyncControl, Kind::Check, 14, 36, 82, 10, "Enable Sync control"},
    {CQueSetDlg::IdCustomerName, Kind::Check, 14, 50, 85, 10, "Enable Customer name"},
    {CQueSetDlg::IdRemoteControl, Kind::Check, 127, 8, 85, 10, "Enable Remote control"},
    {CQueSetDlg::IdConfirmation, Kind::Check, 127, 19, 82, 10, "Enable confirmation"},
    {CQueSetDlg::IdDeleteByStation, Kind::Check, 127, 32, 82, 10, "Delete by station"},
    {0, Kind::Group, 15, 63, 165, 43, "Reserve/Remote Controller"},
    {CQueSetDlg::IdReserveAndRemote, Kind::Radio, 22, 72, 142, 10,
     "Enable Reserve/Enable Remote Controller"},
    {CQueSetDlg::IdReserveOnly, Kind::Radio, 22, 82, 145, 10,
     "Enable Reserve/Disable Remote Controller"},
    {CQueSetDlg::IdNeither, Kind::Radio, 22, 92, 147, 10,
     "Disable Reserve/Disable Remote Controller"},
    {0, Kind::Label, 15, 109, 83, 8, "Maximum Melodecks"},
    {CQueSetDlg::IdUsers, Kind::Edit, 127, 107, 27, 14, ""},
    {CQueSetDlg::IdUsersSpin, Kind::Spin, 154, 107, 10, 14, ""},
    {0, Kind::Label, 15, 128, 187, 17,
     "After change of Queue Settings,\n ORVA RS program in Melodeck must restart to take effect."},
    {CQueSetDlg::IdOk, Kind::DefaultButton, 51, 148, 50, 14, "OK"},
    {CQueSetDlg::IdCancel, Kind::Button, 117, 148, 50, 14, "Cancel"},
};

} // namespace

CQueSetDlg::CQueSetDlg(QueConfig &config, QWidget *parent) : QDialog(parent), m_config(config)
{
    setWindowTitle(QStringLiteral("Queue Settings"));
    setFont(QFont(QStringLiteral("Times New Roman"), 10));
    CreateControls();
    OnInitDialog();
}

QAbstractButton *CQueSetDlg::button(int id) const
{
    return qobject_cast<QAbstractButton *>(control(id));
}

void CQueSetDlg::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.Size(219, 169));
    for (const ControlLayout &item : kControls) {
        const QString text = QString::fromLatin1(item.text);
        QWidget *widget = nullptr;
        switch (item.kind) {
        case Kind::Check:
            widget = new QCheckBox(text, this);
            break;
        case Kind::Radio:
            widget = new QRadioButton(text, this); // the three are siblings, so exclusive
            break;
        case Kind::Group:
            widget = new QGroupBox(text, this);
            break;
        case Kind::Label: {
            auto *label = new QLabel(text, this);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case Kind::Edit:
            widget = m_users = new QLineEdit(this); // any text: OK reads its leading number
            break;
        case Kind::Spin:
            widget = m_spin = new CSpinButtonCtrl(this);
            break;
        case Kind::DefaultButton:
        case Kind::Button: {
            auto *push = new QPushButton(text, this);
            push->setDefault(item.kind == Kind::DefaultButton);
            push->setAutoDefault(false);
            connect(push, &QPushButton::clicked, this,
                    item.id == IdOk ? &CQueSetDlg::accept : &CQueSetDlg::reject);
            widget = push;
            break;
        }
        }
        widget->setGeometry(units.Rect(item.x, item.y, item.width, item.height));
        if (item.id != 0)
            m_controls.insert(item.id, widget);
    }
}

// Shows the options as they are now.
void CQueSetDlg::OnInitDialog()
{
    button(IdKeyControl)->setChecked(m_config.Tempo);
    button(IdTempoControl)->setChecked(m_config.Pitch);
    button(IdSyncControl)->setChecked(m_config.Sync);
    // Not offered to the operator: OK therefore always stores them as off.
    control(IdConfirmation)->hide();
    control(IdDeleteByStation)->hide();
    button(IdCustomerName)->setChecked(m_config.Uname);
    control(IdRemoteControl)->hide();
    const int mode = m_config.Remocon == 2   ? IdReserveAndRemote
                     : m_config.Remocon == 1 ? IdReserveOnly
                                             : IdNeither;
    button(mode)->setChecked(true);
    m_users->setText(QString::number(m_config.Users));
    m_spin->SetRange(1, QueConfig::kMaxUsers);
    m_spin->SetBuddy(m_users);
    m_spin->SetPos(m_config.Users);
    control(IdSyncControl)->setEnabled(false);
}

void CQueSetDlg::accept()
{
    m_config.Tempo = button(IdKeyControl)->isChecked();
    m_config.Pitch = button(IdTempoControl)->isChecked();
    m_config.Sync = button(IdSyncControl)->isChecked();
    m_config.Confirm = button(IdConfirmation)->isChecked();
    m_config.Delete = button(IdDeleteByStation)->isChecked();
    m_config.Uname = button(IdCustomerName)->isChecked();
    m_config.Remocon = button(IdReserveAndRemote)->isChecked() ? 2
                       : button(IdReserveOnly)->isChecked()    ? 1
                                                               : 0;
    // Zero and negative numbers are kept as typed; only the ceiling is enforced.
    m_config.Users = std::min(ParseLeadingInt(m_users->text()), QueConfig::kMaxUsers);
    QDialog::accept();
}

bool CQueSetDlg::Open(QueConfig &config, QWidget *parent)
{
    CQueSetDlg dialog(config, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    SaveSettings(config);
    return true;
}
