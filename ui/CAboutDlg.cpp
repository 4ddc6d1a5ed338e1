#include "ui/CAboutDlg.h"

#include "ui/DialogUnits.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About ORVA RS Server"));
    setFont(QFont(QStringLiteral("Sans Serif"), 8));
    const DialogUnits units(font());
    setFixedSize(units.Size(170, 62));

    auto *icon = new QLabel(this);
    const QRect iconRect = units.Rect(14, 14, 20, 20);
    icon->setPixmap(ApplicationIcon().pixmap(iconRect.size()));
    icon->setGeometry(iconRect);
    auto *version = new QLabel(VersionText(), this);
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(units.Rect(42, 14, 114, 8));
    auto *notice = new QLabel(QStringLiteral("Copyright (C) ORVA Multimedia Inc."), this);
    notice->setTextFormat(Qt::PlainText);
    notice->setGeometry(units.Rect(42, 26, 114, 8));
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.Rect(113, 41, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString CAboutDlg::VersionText()
{
    return QStringLiteral("MOXI, Version " ORVA_VERSION);
}

QIcon CAboutDlg::ApplicationIcon()
{
    Q_INIT_RESOURCE(app);
    QIcon icon;
    for (int size : {32, 48, 128})
        icon.addFile(QStringLiteral(":/app/orva-rs-server-%1.png").arg(size), QSize(size, size));
    return icon;
}
