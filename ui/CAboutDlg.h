#pragma once

#include <QDialog>

// The About box: the program's icon, name and version, and its legal notice.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget *parent = nullptr);

    // The version line; the version is the build's.
    static QString VersionText();
    // The application icon from the program's resources.
    static QIcon ApplicationIcon();
};
