#include "ui/CVenueRulesDlg.h"

#include "base/DataPath.h"
#include "queue/QueueJournal.h"
#include "tests/ui/WindowTest.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>

using VenueRulesDlgTest = WindowTest;

// Through the Tools menu: OK saves the rules in their own section and applies
// them at once; a queue that cannot be kept says why in the status bar;
// Cancel changes nothing.
TEST_F(VenueRulesDlgTest, OkSavesAndAppliesTheRulesAndTheStatusBarSaysWhyTheQueueIsNotKept)
{
    const auto press = [](CVenueRulesDlg &dialog, QDialogButtonBox::StandardButton which) {
        dialog.findChild<QDialogButtonBox *>()->button(which)->click();
    };
    // A database of a newer version stands where the queue would be kept.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"newer"_qs);
        db.setDatabaseName(DataPath(u"Queue.db"_qs));
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(u"PRAGMA user_version = 3"_qs);
    }
    QSqlDatabase::removeDatabase(u"newer"_qs);
    const QByteArray iniBefore = ReadFileBytes(DataPath(u"Moxi.ini"_qs));
    WhenShown<CVenueRulesDlg>([&](CVenueRulesDlg &dialog) {
        EXPECT_FALSE(dialog.keepQueue().isChecked() || dialog.rotation().isChecked());
        dialog.keepQueue().setChecked(true);
        dialog.noDuplicates().setChecked(true);
        dialog.maxPerStation().setValue(4);
        press(dialog, QDialogButtonBox::Ok);
    });
    Q_EMIT frame->venueRulesRequested();
    const VenueConfig expected{true, false, true, 4};
    EXPECT_EQ(app->venue(), expected);
    VenueConfig saved;
    LoadVenueSettings(saved);
    EXPECT_EQ(saved, expected);
    EXPECT_TRUE(ReadFileBytes(DataPath(u"Moxi.ini"_qs)).startsWith(iniBefore));
    EXPECT_TRUE(app->journal().enabled());
    EXPECT_EQ(frame->queueKeptText(),
              u"Queue not kept: Queue.db was written by a newer version (schema 3)"_qs);

    WhenShown<CVenueRulesDlg>([&](CVenueRulesDlg &dialog) {
        dialog.keepQueue().setChecked(false);
        dialog.rotation().setChecked(true);
        press(dialog, QDialogButtonBox::Cancel);
    });
    Q_EMIT frame->venueRulesRequested();
    EXPECT_EQ(app->venue(), expected);
}
