#include "session_fixture.h"

namespace zeltest {

std::vector<ShownMessage> &hookedMessages() {
    static std::vector<ShownMessage> messages;
    return messages;
}

void ZELAPI recordMessage(const char *text, const char *caption, std::uint32_t style) {
    hookedMessages().push_back(
        {text, caption != nullptr, caption != nullptr ? caption : "", style});
}

void SessionTest::SetUp() {
    zelcomm::resetSession();
    ASSERT_TRUE(zelcomm::attach(fake));
    ZelSetMessageHook(&recordMessage);
    hookedMessages().clear();
}

void SessionTest::TearDown() {
    zelcomm::detach();
    zelcomm::resetSession();
    hookedMessages().clear();
}

void SessionTest::connectUnit(int port) {
    fake.devices.insert("\\\\.\\ZEL" + std::to_string(port));
    fake.unitPorts.insert(port);
    ASSERT_EQ(ZelCommInit(0), 0);
    fake.forget();
    hookedMessages().clear();
}

std::vector<std::string> SessionTest::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto &message : hookedMessages()) {
        texts.push_back(message.text);
    }
    return texts;
}

}  // namespace zeltest
