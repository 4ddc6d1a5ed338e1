#pragma once

#include <QDialog>
#include <QList>
#include <QPixmap>

class QAction;
class QListWidget;
class QListWidgetItem;

// Customising the toolbar: a check box per button shows or hides it, and when
// user images were loaded, clicking one gives it to the selected button.
// Modeless; every change applies at once.
class CCustomizeDlg : public QDialog
{
    Q_OBJECT
public:
    // `buttons` are toolbar actions that outlive the dialog.
    CCustomizeDlg(const QList<QAction *> &buttons, const QList<QPixmap> &userImages,
                  QWidget *parent = nullptr);

    QListWidget &buttonList() { return *m_buttons; }
    QListWidget &imageList() { return *m_images; }

private:
    void ButtonChanged(QListWidgetItem *item);
    void ImageChosen(QListWidgetItem *item);

    QList<QAction *> m_actions;
    QListWidget *m_buttons = nullptr;
    QListWidget *m_images = nullptr;
};
