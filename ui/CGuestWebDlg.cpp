#include "ui/CGuestWebDlg.h"

#include "base/GuestWebConfig.h"
#include "web/GuestWeb.h"
#include "web/QrSvg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The QR code drawn module by module, with a quiet zone of four.
QPixmap QrPixmap(const QString &text, int scale)
{
    const QrModules code = EncodeQr(text.toUtf8());
    const int side = (code.width + 8) * scale;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    for (int y = 0; y < code.width; ++y)
        for (int x = 0; x < code.width; ++x)
            if (code.isDark(x, y))
                painter.fillRect((x + 4) * scale, (y + 4) * scale, scale, scale, Qt::black);
    return pixmap;
}

} // namespace

CGuestWebDlg::CGuestWebDlg(GuestWebConfig &config, GuestWeb &web, QWidget *parent)
    : QDialog(parent), m_config(config), m_web(web),
      m_enabled(new QCheckBox(QStringLiteral("Serve the guest pages"), this)),
      m_port(new QSpinBox(this)),
      m_requests(new QCheckBox(QStringLiteral("Guests may request songs"), this)),
      m_station(new QSpinBox(this)), m_maxPerGuest(new QSpinBox(this)), m_pin(new QLineEdit(this)),
      m_url(new QLabel(this)), m_qr(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Guest Web"));
    m_port->setRange(1, 65535);
    m_station->setRange(0, 65535);
    m_maxPerGuest->setRange(0, 99);
    m_maxPerGuest->setSpecialValueText(QStringLiteral("no limit"));
    m_pin->setMaxLength(32);
    m_pin->setPlaceholderText(QStringLiteral("none"));
    m_url->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_qr->setAlignment(Qt::AlignCenter);

    auto *form = new QFormLayout;
    form->addRow(m_enabled);
    form->addRow(QStringLiteral("Port"), m_port);
    form->addRow(m_requests);
    form->addRow(QStringLiteral("Station number of web requests"), m_station);
    form->addRow(QStringLiteral("Songs one guest may have queued"), m_maxPerGuest);
    form->addRow(QStringLiteral("PIN"), m_pin);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGuestWebDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGuestWebDlg::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_qr);
    layout->addWidget(m_url, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);

    m_enabled->setChecked(config.Enabled);
    m_port->setValue(config.Port);
    m_requests->setChecked(config.Requests);
    m_station->setValue(config.Station);
    m_maxPerGuest->setValue(config.MaxPerGuest);
    m_pin->setText(config.Pin);
    UpdatePreview();
    connect(m_port, &QSpinBox::valueChanged, this, &CGuestWebDlg::UpdatePreview);
    connect(m_pin, &QLineEdit::textChanged, this, &CGuestWebDlg::UpdatePreview);
    connect(m_enabled, &QCheckBox::toggled, this, &CGuestWebDlg::UpdatePreview);
}

void CGuestWebDlg::UpdatePreview()
{
    // The running port, unless another one is being typed.
    const quint16 port = m_port->value() == m_config.Port && m_web.isListening()
                             ? m_web.port()
                             : quint16(m_port->value());
    const QString url = GuestWeb::GuestUrlFor(port, m_pin->text());
    m_url->setText(m_enabled->isChecked() ? url : QStringLiteral("The guest pages are off."));
    m_qr->setPixmap(QrPixmap(url, 4));
    m_qr->setEnabled(m_enabled->isChecked());
}

void CGuestWebDlg::accept()
{
    const bool relisten =
        m_config.Enabled != m_enabled->isChecked() || m_config.Port != m_port->value();
    m_config.Enabled = m_enabled->isChecked();
    m_config.Port = m_port->value();
    m_config.Requests = m_requests->isChecked();
    m_config.Station = m_station->value();
    m_config.MaxPerGuest = m_maxPerGuest->value();
    m_config.Pin = m_pin->text().trimmed();
    SaveGuestWebSettings(m_config);
    if (relisten)
        m_web.Restart();
    QDialog::accept();
}

bool CGuestWebDlg::Open(GuestWebConfig &config, GuestWeb &web, QWidget *parent)
{
    CGuestWebDlg dialog(config, web, parent);
    return dialog.exec() == QDialog::Accepted;
}
