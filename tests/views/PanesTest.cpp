#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/storage/SampleRegistration.h"
#include "tests/support/QtWait.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"

using namespace vantix;

namespace {

FTDI::DevData Reader(const char* name, int beep, int keyboard = 1, int database = 1, int id = 1, int ec = 1,
                     const char* description = "Proximity Reader") {
    const FTDI::UserArea area(name, id, ec, beep, 0, keyboard, database, -1, -1, -1, 0, 1, 2, 3, 0x0F, 11, 12, 12,
                              12, 0x0E, 0);
    return FTDI::DevData(nullptr, area, description);
}

QStringList Row(const ListPane& pane, int row) {
    QStringList texts;
    for (int c = 0; c < pane.columnCount(); ++c)
        texts << pane.Text(row, c);
    return texts;
}

} // namespace

// Changes of a row go through the frame (FrameTest): only adding, finding
// and removing here.
TEST(DeviceView, OneRowPerReaderInSerialOrderFoundByTheWholeSerial) {
    CV_Device view;
    view.AddDevice("FTB200", Reader("DOOR", 7, 1, 0, 12, 3));
    view.AddDevice("FTC300", Reader("GATE", 0, 0, 1, 255, 0));
    view.AddDevice("FTA100", Reader("DESK", 3, 1, 1, 1, 2, "Track 2 Reader"));
    view.AddDevice("FTA100", Reader("DESK2", 3));
    view.AddDevice("FTA10", Reader("SHORT", 3));
    // beep 7 is one beep, 0 is eight
    EXPECT_EQ(Row(view, 2), (QStringList{"FTB200", "DOOR", "1", "Yes", "No", "12", "3", "Proximity Reader"}));
    EXPECT_EQ(Row(view, 3), (QStringList{"FTC300", "GATE", "8", "No", "Yes", "255", "0", "Proximity Reader"}));
    EXPECT_EQ(view.FindRow("FTA100"), 1);
    EXPECT_EQ(view.Text(1, CV_Device::ColName), "DESK2");
    EXPECT_EQ(view.FindRow("FTA1"), -1);
    EXPECT_FALSE(view.RemoveDevice("FTA1"));
    EXPECT_TRUE(view.RemoveDevice("FTA10"));
    EXPECT_EQ(view.RowCount(), 3);
    EXPECT_EQ(view.Text(0, CV_Device::ColSerial), "FTA100");
}

TEST(DeviceView, ContextMenuOnlyWithASelectedRowEnterAndDoubleClickAskForEdit) {
    CV_Device view;
    view.resize(400, 200);
    view.show();
    QSignalSpy edit(&view, &CV_Device::editRequested);
    QSignalSpy buzz(&view, &CV_Device::buzzRequested);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Enter);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(50, 150)); // even on empty space
    EXPECT_EQ(edit.count(), 3);

    view.AddDevice("FT1", Reader("A", 7));
    view.AddDevice("FT2", Reader("B", 7));
    EXPECT_EQ(view.CreateContextMenu(), nullptr);
    const auto popupShown = [&] {
        bool shown = false, looked = false;
        QTimer::singleShot(50, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                shown = true;
                popup->close();
            }
            looked = true;
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), view.mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(view.viewport(), &event);
        EXPECT_TRUE(test::WaitForEvents([&] { return looked; }));
        return shown;
    };
    EXPECT_FALSE(popupShown());
    view.topLevelItem(1)->setSelected(true);
    view.topLevelItem(0)->setSelected(true);
    EXPECT_EQ(view.FirstSelectedSerial(), "FT1");
    EXPECT_TRUE(popupShown());

    auto menu = view.CreateContextMenu();
    ASSERT_EQ(menu->actions().size(), 2);
    menu->actions()[1]->trigger();
    menu->actions()[0]->trigger();
    EXPECT_EQ(edit.count(), 4);
    EXPECT_EQ(buzz.count(), 1);
}

// The window keeps only the newest rows of each list, in arrival order.
TEST(ListViews, RegistrationsKeepTheLast301AndTheLogTheLast300WithTimeAndSymbol) {
    CV_Registrations registrations;
    for (int i = 0; i < 1000; ++i)
        registrations.AddRegistration(test::SampleRegistration(std::to_string(90000000 + i), 12, 3));
    ASSERT_EQ(registrations.RowCount(), 301);
    EXPECT_EQ(registrations.Text(0, 0), "90000699");
    EXPECT_EQ(Row(registrations, 300), (QStringList{"90000999", "2016-02-22 14:07:00", "12", "3", "FT0001"}));

    CV_Log2 log;
    for (int i = 0; i < 400; ++i)
        log.AddLog(QString("line %1").arg(i), i % 3);
    ASSERT_EQ(log.RowCount(), 300);
    EXPECT_EQ(log.Text(0, 1), "line 100");
    EXPECT_EQ(log.Text(299, 1), "line 399");
    EXPECT_EQ(log.ImageOf(299), 399 % 3);
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)").match(log.Text(299, 0)).hasMatch());
    log.AddLog(130, LogWarning);
    EXPECT_EQ(log.Text(299, 1), "Serial number");
}
