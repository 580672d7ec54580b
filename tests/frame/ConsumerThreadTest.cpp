#include <QObject>
#include <gtest/gtest.h>

#include "frame/CFTDIConsumer.h"
#include "frame/DeviceLinkEvent.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/support/QtWait.h"

using namespace FTDI;

namespace {

// Plays the frame: keeps what arrives and answers questions as told. A fault
// report, a question left open at shutdown and a read kept at the end are
// followed through the frame itself (FrameRunTest).
class Receiver : public QObject {
public:
    bool event(QEvent* event) override {
        if (auto* link = dynamic_cast<DeviceLinkEvent*>(event)) {
            events.emplace_back(link->Number(), link->WParam(), link->Message(), link->LParam());
            return true;
        }
        if (auto* question = dynamic_cast<UnknownDeviceQuestionEvent*>(event)) {
            texts.push_back(question->Text());
            if (answer)
                question->Answer(*answer);
            return answer.has_value(); // ignored: the event's end answers -1
        }
        return QObject::event(event);
    }

    std::size_t Count(unsigned number) const {
        return std::count_if(events.begin(), events.end(), [&](const auto& e) { return e.Number() == number; });
    }

    std::vector<DeviceLinkEvent> events;
    std::vector<std::string> texts;
    std::optional<int> answer;
};

SimulatedD2xx::UserAreaBytes ProximityArea() {
    return vantix::test::AreaBytes(
        UserArea("DESK", 1, 2, 7, 0, 1, 1, -1, -1, -1, 12, 12, 12, 12, 0, 12, 12, 12, 12, 0, 0));
}

struct ConsumerThread : ::testing::Test {
    ConsumerThread() {
        settings.beepPause = 0;
        settings.intercharacterDelay = 0;
        consumer.SetReceiver(&receiver);
    }
    SimulatedD2xx sim;
    OutputSettings settings;
    RecordingKeyboardOutput keys;
    Receiver receiver;
    CFTDIConsumer consumer{sim, settings, keys, vantix::test::FastTimings()};
};

} // namespace

TEST_F(ConsumerThread, ForwardsCopiesAndKeepsShutdownRemovalsAway) {
    sim.Plug("Q1", "TR-614", ProximityArea());
    consumer.start();
    ASSERT_TRUE(vantix::test::WaitForEvents([&] { return receiver.Count(MsgDeviceAdded) == 1; }, 5000));
    sim.PresentCard("Q1", "F400000249541F01");
    ASSERT_TRUE(vantix::test::WaitForEvents([&] { return receiver.Count(MsgRegistration) == 1; }, 5000));
    consumer.PostToConsumer(MsgCommError, 7, 1234);
    ASSERT_TRUE(vantix::test::WaitForEvents([&] { return receiver.Count(MsgCommError) == 1; }, 5000));

    const auto& added = receiver.events[0];
    ASSERT_NE(added.As<MessageDeviceAdded>(), nullptr);
    EXPECT_EQ(added.As<MessageDeviceAdded>()->serialNumber, "Q1");
    EXPECT_STREQ(added.As<MessageDeviceAdded>()->device.userArea.name, "DESK");
    const auto& reg = receiver.events[1];
    EXPECT_EQ(reg.As<MessageRegistration>()->mediaId, "0249541F");
    EXPECT_EQ(receiver.events[2].WParam(), 7u);
    EXPECT_EQ(receiver.events[2].LParam(), 1234);

    EXPECT_TRUE(consumer.Shutdown(3000));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.Count(MsgDeviceRemoved), 0u);
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST_F(ConsumerThread, UnknownDeviceQuestionIsAnsweredOrIgnored) {
    consumer.SetDeviceCheck(true);
    sim.Plug("QX-IGNORED", "Mystery bridge");
    consumer.start();
    ASSERT_TRUE(vantix::test::WaitForEvents([&] { return receiver.texts.size() == 1; }, 5000));
    EXPECT_EQ(receiver.texts[0], "QX-IGNORED (Mystery bridge)");

    receiver.answer = DeviceTypeTrack2;
    sim.Plug("QX-CHOSEN", "Other bridge");
    ASSERT_TRUE(vantix::test::WaitForEvents([&] { return receiver.Count(MsgDeviceAdded) == 1; }, 5000));
    EXPECT_EQ(receiver.events[0].As<MessageDeviceAdded>()->device.deviceType, DeviceTypeTrack2);
    EXPECT_EQ(receiver.texts.size(), 2u); // the ignored one was refused for the run
    EXPECT_TRUE(consumer.Shutdown(3000));
}

