#pragma once

#include <QDialog>

class GuestWeb;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
struct GuestWebConfig;

// "Guest Web": the settings of the pages for phones and the venue screen,
// with the address a phone opens and its QR code, both following the port and
// PIN as they are typed. OK writes the settings, saves "Moxi.ini" at once and,
// when the port or the switch changed, listens again; Cancel changes nothing.
class CGuestWebDlg : public QDialog
{
    Q_OBJECT
public:
    CGuestWebDlg(GuestWebConfig &config, GuestWeb &web, QWidget *parent = nullptr);

    QCheckBox &enabledBox() const { return *m_enabled; }
    QSpinBox &portBox() const { return *m_port; }
    QCheckBox &requestsBox() const { return *m_requests; }
    QSpinBox &stationBox() const { return *m_station; }
    QSpinBox &maxPerGuestBox() const { return *m_maxPerGuest; }
    QLineEdit &pinEdit() const { return *m_pin; }
    QLabel &urlLabel() const { return *m_url; }
    QLabel &qrLabel() const { return *m_qr; }

    void accept() override;

    // Opens the dialog modally. True for OK.
    static bool Open(GuestWebConfig &config, GuestWeb &web, QWidget *parent);

private:
    // The address and QR code for the port and PIN as they stand in the controls.
    void UpdatePreview();

    GuestWebConfig &m_config;
    GuestWeb &m_web;
    QCheckBox *m_enabled;
    QSpinBox *m_port;
    QCheckBox *m_requests;
    QSpinBox *m_station;
    QSpinBox *m_maxPerGuest;
    QLineEdit *m_pin;
    QLabel *m_url;
    QLabel *m_qr;
};
