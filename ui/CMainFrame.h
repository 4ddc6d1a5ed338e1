#pragma once

#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

class CChildView;
class CCustomizeDlg;
class QAction;
class QLabel;
class QToolBar;
class RARAZAdi;

// The server's one window: menus, the "Standard" toolbar, the status bar and
// the main view. It carries out the menu and popup commands, applies and
// stores the look, and runs the close sequence when closed. The dialogs of the
// Tools and Help menus open through its signals, which it connects itself.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    // Toolbar images of the user's own, read from the current folder when present.
    static constexpr const char *kUserImagesFile = "./UserImages.bmp";
    static constexpr qint64 kMaxUserImagesBytes = 819200;
    static constexpr int kImageSize = 16;

    explicit CMainFrame(RARAZAdi &app, QWidget *parent = nullptr);

    // The status bar's word on the queue journal: empty while the queue is
    // kept or keeping is off, else why the queue is not being kept.
    QString queueKeptText() const;

    // Appends " <address>" to the caption once the listener is up.
    void AppendAddressToCaption(const QString &address);

    CChildView &view() { return *m_view; }
    QToolBar &standardToolBar() { return *m_toolBar; }
    // The user's toolbar images, 16 x 16 each; empty when none were loaded.
    const QList<QPixmap> &userImages() const { return m_userImages; }

    // The current look, 210..218 or whatever value was set last.
    int applicationLook() const { return m_look; }
    // Installs a look and stores it. A value outside 210..218 keeps the last
    // office look (blue at first) and is stored as given.
    void SetApplicationLook(int look);

    // The 16 x 16 images of a bitmap strip; nothing for a missing or unreadable
    // file, one over 819,200 bytes, or one less than 16 pixels high or wide.
    static QList<QPixmap> LoadUserImages(const QString &path);

    // The bars' context menu: the toolbars, then "Customize...".
    QMenu *createPopupMenu() override;

Q_SIGNALS:
    // "Send Message" was chosen.
    void sendMessageRequested();
    // "Queue Settings" was chosen.
    void queueSettingsRequested();
    // "Venue Rules..." was chosen.
    void venueRulesRequested();
    // "About" was chosen, from the Help menu or the toolbar.
    void aboutRequested();

public Q_SLOTS:
    // "Delete": the selected reservation on the queue tab, else the selected favourite list.
    void OnDelete();
    // "On"/"Off": switches the terminal shown on the selected row on or off.
    void OnStatus();
    // "Customize...": opens the toolbar customisation dialog.
    void OnCustomize();
    // "Send Message": the modal Send Message dialog.
    void OnSendMessage();
    // "Queue Settings": the modal Queue Settings dialog; OK saves the options.
    void OnQueueSettings();
    // "Venue Rules...": the modal Venue Rules dialog; OK saves and applies the rules.
    void OnVenueRules();
    // "Guest Web...": the modal Guest Web dialog; OK saves the settings.
    void OnGuestWeb();
    // "About": the modal About box.
    void OnAbout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();

    RARAZAdi &m_app;
    CChildView *m_view = nullptr;
    QToolBar *m_toolBar = nullptr;
    QAction *m_customizeAction = nullptr;
    QList<QAction *> m_toolButtons;
    QList<QPixmap> m_userImages;
    QPointer<CCustomizeDlg> m_customizeDlg;
    QLabel *m_queueKept = nullptr;
    int m_look = 0;
    int m_officeLook = 0;
};
