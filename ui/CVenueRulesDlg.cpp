#include "ui/CVenueRulesDlg.h"

#include "app/RARAZAdi.h"
#include "base/VenueConfig.h"
#include "queue/ReservationQueue.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

CVenueRulesDlg::CVenueRulesDlg(RARAZAdi &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("Venue Rules"));
    const VenueConfig &venue = app.venue();
    m_keepQueue = new QCheckBox(QStringLiteral("Keep the queue when the program stops or fails"));
    m_rotation = new QCheckBox(QStringLiteral("Fair turns between stations"));
    m_noDuplicates = new QCheckBox(QStringLiteral("Refuse a song that is already queued"));
    m_maxPerStation = new QSpinBox;
    m_maxPerStation->setRange(0, ReservationQueue::kCapacity);
    m_maxPerStation->setSpecialValueText(QStringLiteral("No limit"));
    m_keepQueue->setChecked(venue.KeepQueue);
    m_rotation->setChecked(venue.Rotation);
    m_noDuplicates->setChecked(venue.NoDuplicates);
    m_maxPerStation->setValue(venue.MaxPerStation);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVenueRulesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CVenueRulesDlg::reject);
    auto *form = new QFormLayout(this);
    form->addRow(m_keepQueue);
    form->addRow(m_rotation);
    form->addRow(m_noDuplicates);
    form->addRow(QStringLiteral("Songs a station may have queued:"), m_maxPerStation);
    form->addRow(buttons);
}

void CVenueRulesDlg::accept()
{
    VenueConfig &venue = m_app.venue();
    venue.KeepQueue = m_keepQueue->isChecked();
    venue.Rotation = m_rotation->isChecked();
    venue.NoDuplicates = m_noDuplicates->isChecked();
    venue.MaxPerStation = m_maxPerStation->value();
    SaveVenueSettings(venue);
    m_app.ApplyVenueRules();
    QDialog::accept();
}
