#include "ui/CMainFrame.h"

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("ORVA Reservation System Server"));
}
