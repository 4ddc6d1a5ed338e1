#include "ui/CQueSetDlg.h"

#include "base/DataPath.h"
#include "tests/ui/WindowTest.h"

#include <QAbstractButton>
#include <QLineEdit>

using QueSetDlgTest = WindowTest;

// Every control with its text and state; "Enable Key control" shows Tempo,
// "Enable Tempo control" Pitch; the confirmation box stays unchecked even
// when Confirm is set, since it is never shown.
TEST_F(QueSetDlgTest, ControlsShowTheOptions)
{
    app->config() = {true, false, true, true, true, false, 1, 12};
    CQueSetDlg dialog(app->config(), frame.get());
    dialog.show();
    QStringList shown; // "id text", then [x] when checked, "hidden", "disabled"
    for (int id : {1003, 1004, 1005, 1008, 1009, 1006, 1007, 1014, 1015, 1016, 1, 2}) {
        const QAbstractButton *button = dialog.button(id);
        ASSERT_NE(button, nullptr) << id;
        shown.append(QString::number(id) + u' ' + button->text() +
                     (button->isChecked() ? u" [x]"_qs : u""_qs) +
                     (button->isVisible() ? u""_qs : u" hidden"_qs) +
                     (button->isEnabled() ? u""_qs : u" disabled"_qs));
    }
    EXPECT_EQ(
        shown,
        (QStringList{
            u"1003 Enable Key control [x]"_qs, u"1004 Enable Tempo control"_qs,
            u"1005 Enable Sync control [x] disabled"_qs, u"1008 Enable Customer name"_qs,
            u"1009 Enable Remote control hidden"_qs, u"1006 Enable confirmation hidden"_qs,
            u"1007 Delete by station hidden"_qs, u"1014 Enable Reserve/Enable Remote Controller"_qs,
            u"1015 Enable Reserve/Disable Remote Controller [x]"_qs,
            u"1016 Disable Reserve/Disable Remote Controller"_qs, u"1 OK"_qs, u"2 Cancel"_qs}));
    EXPECT_EQ(dialog.windowTitle(), u"Queue Settings");
    EXPECT_EQ(dialog.usersEdit().text(), u"12");
}

// What OK stores from the mode and the number box, typed or stepped with the
// arrow keys within 1..30.
TEST_F(QueSetDlgTest, OkStoresTheModeAndTheNumber)
{
    // Remocon and Users before; the text typed, arrow key presses (up when positive);
    // the text shown, and Remocon and Users stored.
    const std::tuple<int, int, QString, int, QString, int, int> cases[] = {
        {5, 3, {}, 0, u"3"_qs, 0, 3},
        {2, 3, u"45"_qs, 0, u"45"_qs, 2, 30},
        {1, 3, u"-1"_qs, 0, u"-1"_qs, 1, -1},
        {2, 3, u"abc"_qs, 0, u"abc"_qs, 2, 0},
        {2, 3, u" 7 x"_qs, 0, u" 7 x"_qs, 2, 7},
        {2, 30, {}, 2, u"30"_qs, 2, 30},
        {2, 5, u"12"_qs, 1, u"13"_qs, 2, 13},
        {2, 2, {}, -3, u"1"_qs, 2, 1},
        {2, 4, u"99"_qs, 1, u"5"_qs, 2, 5},
    };
    for (const auto &[remocon, users, typed, steps, shown, storedRemocon, storedUsers] : cases) {
        SCOPED_TRACE(shown.toStdString());
        QueConfig config;
        config.Remocon = remocon;
        config.Users = users;
        CQueSetDlg dialog(config);
        if (!typed.isNull())
            dialog.usersEdit().setText(typed);
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(&dialog.usersEdit(), steps > 0 ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(dialog.usersEdit().text(), shown);
        dialog.button(CQueSetDlg::IdOk)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(std::pair(config.Remocon, config.Users), std::pair(storedRemocon, storedUsers));
    }
}

// Through the Tools menu: OK untouched turns Confirm and Delete off and
// writes "Moxi.ini"; Cancel after changing everything leaves both alone.
TEST_F(QueSetDlgTest, OkSavesAndCancelChangesNothing)
{
    ASSERT_TRUE(app->config().Confirm && app->config().Delete); // loaded without a file
    WhenShown<CQueSetDlg>([](CQueSetDlg &dialog) { dialog.button(CQueSetDlg::IdOk)->click(); });
    Q_EMIT frame->queueSettingsRequested();
    QueConfig expected; // the loading defaults, less the two hidden boxes
    LoadSettings(expected);
    EXPECT_FALSE(expected.Confirm || expected.Delete);
    EXPECT_EQ(app->config(), expected);
    const QByteArray saved = ReadFileBytes(DataPath(u"Moxi.ini"_qs));
    EXPECT_TRUE(saved.contains("Confirm=0")) << saved.toStdString();

    WhenShown<CQueSetDlg>([](CQueSetDlg &dialog) {
        for (int id : {1003, 1004, 1008, 1016})
            dialog.button(id)->click();
        dialog.usersEdit().setText(u"9"_qs);
        dialog.button(CQueSetDlg::IdCancel)->click();
    });
    Q_EMIT frame->queueSettingsRequested();
    EXPECT_EQ(app->config(), expected);
    EXPECT_EQ(ReadFileBytes(DataPath(u"Moxi.ini"_qs)), saved);
}

// "Enable Key control" is what the terminals read as tempo (byte 29 of
// ServerInfo), and the new limit holds from the next connection on.
TEST_F(QueSetDlgTest, ChangesReachTheTerminalsAndTheListener)
{
    auto terminal = Terminal(0);
    EXPECT_EQ(Ask(*terminal, ServerInfoRequest()).mid(28, 2), Hex("01 01"));
    WhenShown<CQueSetDlg>([](CQueSetDlg &dialog) {
        dialog.button(CQueSetDlg::IdKeyControl)->click();
        dialog.usersEdit().setText(u"0"_qs);
        dialog.button(CQueSetDlg::IdOk)->click();
    });
    Q_EMIT frame->queueSettingsRequested();
    EXPECT_EQ(Ask(*terminal, ServerInfoRequest()).mid(28, 2), Hex("01 00"));
    auto second = Terminal(1);
    EXPECT_EQ(CountLog(u"refused. All 0 Channeles allocated (max. users)."_qs), 1);
    EXPECT_TRUE(terminal->IsConnected());
}
