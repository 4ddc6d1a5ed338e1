#include "ui/CSendMsgDlg.h"

#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "net/MelodeckServer.h"
#include "protocol/Replies.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kCaption = QStringLiteral("Send Message");
constexpr int kStationColumnWidth = 150;

// A push button that Enter does not press.
QPushButton *MakeButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CSendMsgDlg::CSendMsgDlg(MelodeckServer &server, const ChannelList &channels, QWidget *parent,
                         Notifier notify)
    : QDialog(parent), m_server(server), m_notify(std::move(notify))
{
    if (!m_notify) {
        m_notify = [this](QMessageBox::Icon icon, const QString &caption, const QString &text) {
            QMessageBox box(icon, caption, text, QMessageBox::Ok, this);
            box.exec();
        };
    }
    setWindowTitle(kCaption);

    m_edit = new QPlainTextEdit(this);
    m_edit->setTabChangesFocus(true);
    m_all = new QCheckBox(QStringLiteral("All Stations"), this);
    connect(m_all, &QCheckBox::clicked, this, &CSendMsgDlg::OnAllStations);
    m_stations = new QTreeWidget(this);
    m_stations->setColumnCount(1);
    m_stations->setHeaderLabels({QStringLiteral("Station")});
    m_stations->header()->setStretchLastSection(false);
    // 150 pixels, or wider where the font would cut the longest row short.
    const int widest = m_stations->fontMetrics().horizontalAdvance(
        QStringLiteral("Stattion 127 : 255.255.255.255"));
    m_stations->setColumnWidth(0, std::max(kStationColumnWidth, widest + 40));
    m_stations->setRootIsDecorated(false);
    m_send = MakeButton(QStringLiteral("Send"), this);
    connect(m_send, &QPushButton::clicked, this, &CSendMsgDlg::OnSend);
    m_clear = MakeButton(QStringLiteral("Clear"), this);
    connect(m_clear, &QPushButton::clicked, this, &CSendMsgDlg::OnClear);
    QPushButton *cancel = MakeButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {m_send, m_clear, cancel})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Message"), this));
    layout->addWidget(m_edit);
    layout->addWidget(m_all);
    layout->addWidget(m_stations);
    layout->addLayout(buttons);
    resize(360, 420);

    FillStations(channels);
}

// One unticked row per connected terminal, as the channel list holds them now.
void CSendMsgDlg::FillStations(const ChannelList &channels)
{
    for (const CClientSocket *channel : channels.channels()) {
        if (!channel || channel->connectionState == 0)
            continue;
        auto *row = new QTreeWidgetItem(m_stations, {QStringLiteral("Stattion %1 : %2")
                                                         .arg(channel->station)
                                                         .arg(channel->displayAddress())});
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    }
    if (m_stations->topLevelItemCount() == 0)
        m_notify(QMessageBox::NoIcon, kCaption, QStringLiteral("Device not found."));
}

void CSendMsgDlg::OnSend()
{
    const QString input = m_edit->toPlainText().left(kMaxInput);
    if (input.isEmpty()) {
        m_notify(QMessageBox::Warning, QCoreApplication::applicationName(),
                 QStringLiteral("Input Empty."));
        return;
    }
    const QString text = input.left(Packet::StationMessage::kTextUnits);
    bool anyTicked = false;
    for (int row = 0; row < m_stations->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = m_stations->topLevelItem(row);
        if (item->checkState(0) != Qt::Checked)
            continue;
        anyTicked = true;
        // A terminal gone since the dialog opened is skipped without a word.
        m_server.SendStationMessage(AddressOfRow(item->text(0)), text);
    }
    if (!anyTicked)
        m_notify(QMessageBox::Warning, QCoreApplication::applicationName(),
                 QStringLiteral("Station not selected."));
}

void CSendMsgDlg::OnClear()
{
    m_edit->clear();
    m_edit->setFocus();
}

void CSendMsgDlg::OnAllStations(bool checked)
{
    for (int row = 0; row < m_stations->topLevelItemCount(); ++row)
        m_stations->topLevelItem(row)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

QString CSendMsgDlg::AddressOfRow(const QString &rowText)
{
    const QString address = rowText.mid(rowText.indexOf(u':') + 1).trimmed();
    return address == u"localhost" ? CClientSocket::kLocalAddress : address;
}
