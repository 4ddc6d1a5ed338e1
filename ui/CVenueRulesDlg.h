#pragma once

#include <QDialog>

class QCheckBox;
class QSpinBox;
class RARAZAdi;

// "Venue Rules": keeping the queue across a crash, fair turns between
// stations, and the guards against duplicates and against one station filling
// the queue. OK writes the rules, saves them to "Moxi.ini" at once and applies
// them; Cancel changes nothing.
class CVenueRulesDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CVenueRulesDlg(RARAZAdi &app, QWidget *parent = nullptr);

    QCheckBox &keepQueue() const { return *m_keepQueue; }
    QCheckBox &rotation() const { return *m_rotation; }
    QCheckBox &noDuplicates() const { return *m_noDuplicates; }
    QSpinBox &maxPerStation() const { return *m_maxPerStation; }

    void accept() override;

private:
    RARAZAdi &m_app;
    QCheckBox *m_keepQueue = nullptr;
    QCheckBox *m_rotation = nullptr;
    QCheckBox *m_noDuplicates = nullptr;
    QSpinBox *m_maxPerStation = nullptr;
};
