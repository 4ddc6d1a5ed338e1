#include "ui/CGuestWebDlg.h"

#include "base/GuestWebConfig.h"
#include "tests/ui/WindowTest.h"
#include "web/GuestWeb.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using GuestWebDlgTest = WindowTest;

// The dialog shows the settings and the address with its QR code, following
// the PIN as it is typed; OK saves at once and switches the web off and on;
// Cancel keeps everything.
TEST_F(GuestWebDlgTest, ShowsSavesAndSwitchesTheWeb)
{
    GuestWebConfig &config = app->guestWebConfig();
    ASSERT_TRUE(app->guestWeb().isListening());
    CGuestWebDlg dialog(config, app->guestWeb(), frame.get());
    EXPECT_EQ(dialog.portBox().value(), 3880);
    EXPECT_EQ(dialog.stationBox().value(), 99);
    EXPECT_EQ(dialog.maxPerGuestBox().value(), 3);
    EXPECT_TRUE(dialog.urlLabel().text().endsWith(u":%1/"_qs.arg(app->guestWeb().port())));
    const qint64 plainQr = dialog.qrLabel().pixmap().cacheKey();
    dialog.pinEdit().setText(u"2468"_qs);
    EXPECT_TRUE(dialog.urlLabel().text().endsWith(u"/?pin=2468"_qs));
    EXPECT_NE(dialog.qrLabel().pixmap().cacheKey(), plainQr);
    dialog.enabledBox().setChecked(false);
    dialog.maxPerGuestBox().setValue(0);
    dialog.accept();
    EXPECT_FALSE(app->guestWeb().isListening());
    EXPECT_EQ(config.Pin, u"2468"_qs);
    GuestWebConfig saved;
    LoadGuestWebSettings(saved);
    EXPECT_EQ(saved, config);
    EXPECT_EQ(saved.MaxPerGuest, 0);

    CGuestWebDlg again(config, app->guestWeb(), frame.get());
    again.enabledBox().setChecked(true);
    again.accept();
    EXPECT_TRUE(app->guestWeb().isListening());
    CGuestWebDlg cancelled(config, app->guestWeb(), frame.get());
    cancelled.pinEdit().clear();
    cancelled.reject();
    EXPECT_EQ(config.Pin, u"2468"_qs);
}
