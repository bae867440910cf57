// Converting a port group into what its receiver is given.
#include "input/ReceiverPortSettings.h"
#include "platform/Numbers.h"

#include <gtest/gtest.h>

using namespace vsx;

namespace {
ReceiverPortSettings convert(PortGroupTexts t) { return receiverPortSettingsFrom(t, "log"); }
} // namespace

TEST(DeviceSettingsPortGroup, DesignTextsAndCodes)
{
    PortGroupTexts t;
    t.port = "COM7";
    const ReceiverPortSettings s = convert(t);
    EXPECT_EQ(s.portName, "COM7");
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(s.dataBitsCode, 4);
    EXPECT_EQ(s.stopBitsCode, 1);
    EXPECT_EQ(s.parityCode, 0);
    EXPECT_EQ(s.pollInterval, 5);
    EXPECT_FALSE(s.rawLogEnabled);
    EXPECT_FALSE(s.rawLogTimeStamps);
    EXPECT_TRUE(s.enableDtr);
    EXPECT_TRUE(s.enableRts);
    EXPECT_EQ(s.rawLogFileName, "log");
}

TEST(DeviceSettingsPortGroup, FieldTable)
{
    struct Row {
        const char* what;
        void (*set)(PortGroupTexts&);
        bool (*check)(const ReceiverPortSettings&);
    };
    const Row rows[] = {
        // Ports are handed over by name: no number limit, and an empty name is no port at all.
        {"COM25 kept", [](PortGroupTexts& t) { t.port = "COM25"; }, [](auto& s) { return s.portName == "COM25"; }},
        {"trimmed", [](PortGroupTexts& t) { t.port = " com3 "; }, [](auto& s) { return s.portName == "com3"; }},
        {"empty is none", [](PortGroupTexts& t) { t.port = ""; }, [](auto& s) { return s.portName.empty(); }},
        {"device path", [](PortGroupTexts& t) { t.port = "/dev/pts/4"; }, [](auto& s) { return s.portName == "/dev/pts/4"; }},
        {"baud as typed", [](PortGroupTexts& t) { t.baudRate = "56000"; }, [](auto& s) { return s.baudRate == 56000; }},
        {"5 bits", [](PortGroupTexts& t) { t.dataWidth = "5"; }, [](auto& s) { return s.dataBitsCode == 1; }},
        {"7 bits", [](PortGroupTexts& t) { t.dataWidth = "7"; }, [](auto& s) { return s.dataBitsCode == 3; }},
        // A width that is no item used to give code 0, four data bits, and a port that never opened.
        {"bad width", [](PortGroupTexts& t) { t.dataWidth = "9"; }, [](auto& s) { return s.dataBitsCode == 4; }},
        {"1 stop", [](PortGroupTexts& t) { t.stopBits = "1"; }, [](auto& s) { return s.stopBitsCode == 1; }},
        {"1.5 stop", [](PortGroupTexts& t) { t.stopBits = "1.5"; }, [](auto& s) { return s.stopBitsCode == 2; }},
        {"2 stop", [](PortGroupTexts& t) { t.stopBits = "2"; }, [](auto& s) { return s.stopBitsCode == 3; }},
        {"bad stop", [](PortGroupTexts& t) { t.stopBits = "x"; }, [](auto& s) { return s.stopBitsCode == 1; }},
        {"odd parity", [](PortGroupTexts& t) { t.parity = "Odd"; }, [](auto& s) { return s.parityCode == 0; }},
        {"even parity", [](PortGroupTexts& t) { t.parity = "Even"; }, [](auto& s) { return s.parityCode == 0; }},
        {"delay", [](PortGroupTexts& t) { t.delay = "100"; }, [](auto& s) { return s.pollInterval == 100; }},
        {"log true", [](PortGroupTexts& t) { t.nmeaLog = "true"; }, [](auto& s) { return s.rawLogEnabled; }},
        {"log 1", [](PortGroupTexts& t) { t.nmeaLog = "1"; }, [](auto& s) { return s.rawLogEnabled; }},
        {"log 0", [](PortGroupTexts& t) { t.nmeaLog = "0"; }, [](auto& s) { return !s.rawLogEnabled; }},
        {"time FALSE", [](PortGroupTexts& t) { t.logTime = "FALSE"; }, [](auto& s) { return !s.rawLogTimeStamps; }},
        {"time True", [](PortGroupTexts& t) { t.logTime = "True"; }, [](auto& s) { return s.rawLogTimeStamps; }},
        {"DTR off", [](PortGroupTexts& t) { t.enableDtr = "False"; }, [](auto& s) { return !s.enableDtr; }},
        {"RTS off", [](PortGroupTexts& t) { t.enableRts = "False"; }, [](auto& s) { return !s.enableRts && s.enableDtr; }},
        {"DTR only True", [](PortGroupTexts& t) { t.enableDtr = "true"; }, [](auto& s) { return !s.enableDtr; }},
    };
    for (const Row& r : rows) {
        PortGroupTexts t;
        t.port = "COM1";
        r.set(t);
        EXPECT_TRUE(r.check(convert(t))) << r.what;
    }
}

TEST(DeviceSettingsPortGroup, BadTextsThrowBeforeAnythingIsHandedOver)
{
    struct Row {
        void (*set)(PortGroupTexts&);
        const char* message;
    };
    const Row rows[] = {
        {[](PortGroupTexts& t) { t.baudRate = "abc"; }, "Baud Rate: 'abc' is not a valid integer value"},
        {[](PortGroupTexts& t) { t.baudRate = ""; }, "Baud Rate: '' is not a valid integer value"},
        {[](PortGroupTexts& t) { t.delay = "5 ms"; }, "Delay: '5 ms' is not a valid integer value"},
        {[](PortGroupTexts& t) { t.nmeaLog = "yes"; }, "NMEA Log: 'yes' is not a valid boolean value"},
        {[](PortGroupTexts& t) { t.logTime = "maybe"; }, "Log Time: 'maybe' is not a valid boolean value"},
    };
    for (const Row& r : rows) {
        PortGroupTexts t;
        r.set(t);
        try {
            convert(t);
            ADD_FAILURE() << "no error for " << r.message;
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), r.message);
        }
    }
}

TEST(DeviceSettingsPortGroup, ItemLists)
{
    ASSERT_EQ(portItems().size(), 256u);
    EXPECT_EQ(portItems().front(), "COM1");
    EXPECT_EQ(portItems().back(), "COM256");
    EXPECT_EQ(baudRateItems().size(), 15u);
    EXPECT_EQ(delayItems().size(), 20u);
    EXPECT_EQ(priorityItems()[5], "Normal");
}
