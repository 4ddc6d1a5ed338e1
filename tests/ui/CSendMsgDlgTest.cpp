#include "ui/CSendMsgDlg.h"

#include "tests/ui/WindowTest.h"
#include "ui/CAboutDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <optional>

// The Send Message dialog over a terminal (station 0) and the local client
// (station 1); message boxes are remembered as "caption|text".
class SendMsgDlgTest : public WindowTest
{
protected:
    std::unique_ptr<CSendMsgDlg> Open()
    {
        return std::make_unique<CSendMsgDlg>(
            app->server(), app->channels(), frame.get(),
            [this](QMessageBox::Icon, const QString &caption, const QString &text) {
                notices.append(caption + u'|' + text);
            });
    }
    // Ticks (or unticks) a row; the row's tick as it is then.
    static bool Tick(CSendMsgDlg &dialog, int row, std::optional<bool> tick = true)
    {
        QTreeWidgetItem *item = dialog.stationList().topLevelItem(row);
        if (tick)
            item->setCheckState(0, *tick ? Qt::Checked : Qt::Unchecked);
        return item->checkState(0) == Qt::Checked;
    }
    // The text of the StationMessage `client` receives next, or "-" for none.
    static QString Received(MelodeckClient &client)
    {
        const auto packet = client.ReadPacket(300);
        return packet ? Packet::StationMessage::Decode(*packet).text : u"-"_qs;
    }

    QStringList notices;
};

TEST_F(SendMsgDlgTest, SendsTheFirst40CharactersToTheTickedStations)
{
    auto terminal = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    const QString fifty = QString(u"0123456789"_qs).repeated(5);
    const QString noticePrefix = QApplication::applicationName() + u'|';
    // Text and ticked rows; the notice shown, and what the terminal and the local client get.
    const std::tuple<QString, QList<int>, QString, QString, QString> cases[] = {
        {{}, {0, 1}, u"Input Empty."_qs, u"-"_qs, u"-"_qs},
        {u"Hello"_qs, {}, u"Station not selected."_qs, u"-"_qs, u"-"_qs},
        {fifty, {1}, {}, u"-"_qs, fifty.left(40)},
        {u"Closing soon"_qs, {0, 1}, {}, u"Closing soon"_qs, u"Closing soon"_qs},
    };
    for (const auto &[text, ticked, notice, atTerminal, atLocal] : cases) {
        SCOPED_TRACE(text.toStdString());
        notices.clear();
        auto dialog = Open();
        ASSERT_EQ(dialog->stationList().topLevelItemCount(), 2);
        EXPECT_EQ(dialog->stationList().topLevelItem(0)->text(0), u"Stattion 0 : 127.0.0.2");
        EXPECT_EQ(dialog->stationList().topLevelItem(1)->text(0), u"Stattion 1 : localhost");
        dialog->messageEdit().setPlainText(text);
        for (int row : ticked)
            Tick(*dialog, row);
        dialog->sendButton().click();
        EXPECT_EQ(notices, notice.isEmpty() ? QStringList() : QStringList{noticePrefix + notice});
        EXPECT_EQ(Received(*terminal), atTerminal);
        EXPECT_EQ(Received(*local), atLocal);
    }
    EXPECT_FALSE(app->server().SendStationMessage(u"127.0.0.9", u"x"_qs));
}

// "All Stations" ticks and unticks every row; Enter neither sends nor closes;
// "Clear" empties the text. With no terminal the operator is told so.
TEST_F(SendMsgDlgTest, AllStationsEnterClearAndNoTerminal)
{
    auto dialog = Open();
    EXPECT_EQ(notices, QStringList{u"Send Message|Device not found."_qs});
    auto terminal = Terminal(0);
    auto other = Terminal(1);
    dialog = Open();
    dialog->show();
    Tick(*dialog, 1);
    dialog->allStations().click();
    EXPECT_TRUE(Tick(*dialog, 0, {}) && Tick(*dialog, 1, {}));
    dialog->allStations().click();
    EXPECT_FALSE(Tick(*dialog, 0, {}) || Tick(*dialog, 1, {}));

    Tick(*dialog, 0);
    dialog->messageEdit().setPlainText(u"Hi"_qs);
    dialog->sendButton().setFocus();
    QTest::keyClick(&dialog->sendButton(), Qt::Key_Return);
    QTest::keyClick(dialog.get(), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Received(*terminal), u"-");
    dialog->clearButton().click();
    EXPECT_TRUE(dialog->messageEdit().toPlainText().isEmpty());
    EXPECT_EQ(notices.size(), 1);
}

TEST_F(SendMsgDlgTest, FrameOpensTheAboutBox)
{
    QStringList labels;
    WhenShown<CAboutDlg>([&](CAboutDlg &dialog) {
        labels.append(dialog.windowTitle());
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            labels.append(label->pixmap().isNull() ? label->text() : u"(icon)"_qs);
        dialog.findChild<QPushButton *>()->click();
    });
    Q_EMIT frame->aboutRequested();
    EXPECT_EQ(labels.mid(0, 3), (QStringList{u"About ORVA RS Server"_qs, u"(icon)"_qs,
                                             u"MOXI, Version 1.0.1.21"_qs}));
}
