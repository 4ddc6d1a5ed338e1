#include "ui/CQueSetDlg.h"

#include "base/DataPath.h"
#include "tests/ui/DialogTest.h"
#include "ui/CSpinButtonCtrl.h"

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
    const struct
    {
        int id;
        QString text;
        bool visible, enabled, checked;
    } controls[] = {
        {1003, u"Enable Key control"_qs, true, true, true},
        {1004, u"Enable Tempo control"_qs, true, true, false},
        {1005, u"Enable Sync control"_qs, true, false, true},
        {1008, u"Enable Customer name"_qs, true, true, false},
        {1009, u"Enable Remote control"_qs, false, true, false},
        {1006, u"Enable confirmation"_qs, false, true, false},
        {1007, u"Delete by station"_qs, false, true, false},
        {1014, u"Enable Reserve/Enable Remote Controller"_qs, true, true, false},
        {1015, u"Enable Reserve/Disable Remote Controller"_qs, true, true, true},
        {1016, u"Disable Reserve/Disable Remote Controller"_qs, true, true, false},
        {1, u"OK"_qs, true, true, false},
        {2, u"Cancel"_qs, true, true, false},
    };
    for (const auto &c : controls) {
        SCOPED_TRACE(c.id);
        const QAbstractButton *button = dialog.button(c.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), c.text);
        EXPECT_EQ(button->isVisible(), c.visible);
        EXPECT_EQ(button->isEnabled(), c.enabled);
        EXPECT_EQ(button->isChecked(), c.checked);
    }
    EXPECT_EQ(dialog.windowTitle(), u"Queue Settings");
    EXPECT_EQ(dialog.usersEdit().text(), u"12");
}

// What OK stores from the mode and the number box, typed or stepped with the
// arrow keys within 1..30.
TEST_F(QueSetDlgTest, OkStoresTheModeAndTheNumber)
{
    const struct
    {
        int remocon, users;
        QString typed;
        int steps; // arrow key presses: up when positive
        QString shown;
        int storedRemocon, storedUsers;
    } cases[] = {
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
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        QueConfig config;
        config.Remocon = c.remocon;
        config.Users = c.users;
        CQueSetDlg dialog(config);
        if (!c.typed.isNull())
            dialog.usersEdit().setText(c.typed);
        for (int i = 0; i < std::abs(c.steps); ++i)
            QTest::keyClick(&dialog.usersEdit(), c.steps > 0 ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(dialog.usersEdit().text(), c.shown);
        dialog.button(CQueSetDlg::IdOk)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(config.Remocon, c.storedRemocon);
        EXPECT_EQ(config.Users, c.storedUsers);
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
